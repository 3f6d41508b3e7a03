// Named commands: how each kind runs its function.
#include <kro/cfr.h>
#include <kro/functor.h>

#include <cstring>

Functor::Functor(const char* text) {
  std::strncpy(name, text, sizeof name - 1);
  name[sizeof name - 1] = 0;
}

int FunctorStaticVoid::run(int argc, const char**) {
  if (argc != 1) Cfr::I()->echo("warning: arguments of function are ignored", 1);
  fun();
  return 0;
}

int FunctorStaticIC::run(int argc, const char** argv) {
  fun(argc, argv);
  return 0;
}

int FunctorStaticIntIC::run(int argc, const char** argv) { return fun(argc, argv); }

int FunctorVar1::run(int argc, const char** argv) {
  if (argc != 2) throw "use exacly 1 argument";
  fun(Var(argv[1]));
  return 0;
}

int FunctorVar2::run(int argc, const char** argv) {
  if (argc != 3) throw "use exacly 2 argument";
  fun(Var(argv[1]), Var(argv[2]));
  return 0;
}
