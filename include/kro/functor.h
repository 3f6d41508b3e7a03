#pragma once
// Named commands of the console.
//
// A named command: a name and a function behind one run(argc, argv). argv[0] is
// the command's own name, so argc is 1 for a command without arguments.

#include <tessel/var.h>

class Functor {
public:
  explicit Functor(const char* name);
  virtual int run(int argc, const char** argv) = 0;
  virtual ~Functor() = default;
  const char* getName() const { return name; }

private:
  char name[256];
};

// void f(): extra arguments only warn.
class FunctorStaticVoid : public Functor {
public:
  FunctorStaticVoid(const char* name, void (*fun)()) : Functor(name), fun(fun) {}
  int run(int argc, const char** argv) override;

private:
  void (*fun)();
};

// void f(argc, argv)
class FunctorStaticIC : public Functor {
public:
  FunctorStaticIC(const char* name, void (*fun)(int, const char**)) : Functor(name), fun(fun) {}
  int run(int argc, const char** argv) override;

private:
  void (*fun)(int, const char**);
};

// int f(argc, argv): the only kind whose result reaches the caller.
class FunctorStaticIntIC : public Functor {
public:
  FunctorStaticIntIC(const char* name, int (*fun)(int, const char**)) : Functor(name), fun(fun) {}
  int run(int argc, const char** argv) override;

private:
  int (*fun)(int, const char**);
};

// int f(Var): exactly one argument.
class FunctorVar1 : public Functor {
public:
  FunctorVar1(const char* name, int (*fun)(Var)) : Functor(name), fun(fun) {}
  int run(int argc, const char** argv) override;

private:
  int (*fun)(Var);
};

// int f(Var, Var): exactly two arguments.
class FunctorVar2 : public Functor {
public:
  FunctorVar2(const char* name, int (*fun)(Var, Var)) : Functor(name), fun(fun) {}
  int run(int argc, const char** argv) override;

private:
  int (*fun)(Var, Var);
};
