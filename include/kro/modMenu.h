#pragma once
// The menu module.
//
// A screen of labelled items, one selected: Up, Down, Home and End move the
// selection, other keys go to the selected item. Items edit a bool, int or float
// in place, switch to a module, or call a function or a command.

#include <kro/functor.h>
#include <kro/mod.h>
#include <tessel/array.h>

class ModMenu : public Mod {
public:
  class MenuItem {
  public:
    explicit MenuItem(const char* label);
    virtual void keydown(char key) = 0;
    virtual const char* getValue() = 0;
    virtual ~MenuItem() = default;
    static float fontSize() { return 0.1f; }
    static float marg() { return 0.9f; }
    // The label left, the value right, at height y.
    void print(float y);

    char text[256];
  };

  ModMenu() = default;
  ~ModMenu() override;
  ModMenu(const ModMenu&) = delete;
  ModMenu& operator=(const ModMenu&) = delete;

  void add(const char* text, bool* v);
  void add(const char* text, int* v);
  void add(const char* text, float* v);
  void add(const char* text, Mod* v);
  void add(const char* text, void (*v)());
  // Takes ownership; the label is the functor's name.
  void add(Functor* v);

  void keydown(char key) override;
  void draw2d() override;

  int selected() const { return amenuitem; }
  MenuItem* itemAt(unsigned i) { return item[i]; }

protected:
  Array<MenuItem*> item;
  int amenuitem = 0;

private:
  void append(const char* what, MenuItem* made);
};
