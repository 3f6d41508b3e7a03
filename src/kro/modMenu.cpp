// The menu module and its kinds of items.
#include <kro/kro.h>
#include <kro/modMenu.h>
#include <kro/sound.h>

#include <cstdio>
#include <cstring>
#include <string>

namespace {

class MenuItemBool : public ModMenu::MenuItem {
public:
  MenuItemBool(const char* text, bool* v) : MenuItem(text), v(v) {}
  void keydown(char key) override {
    if (key == vk::RETURN) *v = !*v;
  }
  const char* getValue() override { return *v ? "Yes" : "No"; }

private:
  bool* v;
};

class MenuItemInt : public ModMenu::MenuItem {
public:
  MenuItemInt(const char* text, int* v) : MenuItem(text), v(v) {}
  void keydown(char key) override {
    if (key == vk::LEFT) *v = int(unsigned(*v) - 1u);  // wraps like the machine does, without overflow
    if (key == vk::RIGHT) *v = int(unsigned(*v) + 1u);
  }
  const char* getValue() override {
    std::snprintf(value, sizeof value, "0x%X", unsigned(*v));
    return value;
  }

private:
  int* v;
  char value[16];
};

class MenuItemFloat : public ModMenu::MenuItem {
public:
  MenuItemFloat(const char* text, float* v) : MenuItem(text), v(v) {}
  void keydown(char key) override {
    if (key == vk::LEFT) *v /= 1.1f;
    if (key == vk::RIGHT) *v *= 1.1f;
  }
  // Values too long for the field are cut, never written past it.
  const char* getValue() override {
    std::snprintf(value, sizeof value, "%.2f", double(*v));
    return value;
  }

private:
  float* v;
  char value[16];
};

class MenuItemMod : public ModMenu::MenuItem {
public:
  MenuItemMod(const char* text, Mod* v) : MenuItem(text), v(v) {}
  void keydown(char key) override {
    if (key == vk::RETURN && v) nextMod = v;
  }
  const char* getValue() override { return ""; }

private:
  Mod* v;
};

class MenuItemFun : public ModMenu::MenuItem {
public:
  MenuItemFun(const char* text, void (*v)()) : MenuItem(text), v(v) {}
  void keydown(char key) override {
    if (key == vk::RETURN) v();
  }
  const char* getValue() override { return ""; }

private:
  void (*v)();
};

class MenuItemFunctor : public ModMenu::MenuItem {
public:
  explicit MenuItemFunctor(Functor* v) : MenuItem(v->getName()), v(v) {}
  ~MenuItemFunctor() override { delete v; }
  void keydown(char key) override {
    if (key == vk::RETURN) v->run(0, nullptr);
  }
  const char* getValue() override { return ""; }

private:
  Functor* v;
};

}  // namespace

ModMenu::MenuItem::MenuItem(const char* label) { std::snprintf(text, sizeof text, "%s", label); }

void ModMenu::MenuItem::print(float y) {
  kroPrint(text, -marg(), y, fontSize(), 'L');
  kroPrint(getValue(), marg(), y, fontSize(), 'R');
}

ModMenu::~ModMenu() {
  for (unsigned i = 0; i < item.num; ++i) delete item[i];
}

void ModMenu::append(const char* what, MenuItem* made) {
  debug((std::string("ModMenu::add item ") + what + " at ").c_str(), int(item.num));
  item[item.num] = made;
  ++item.num;
}

void ModMenu::add(const char* text, bool* v) { append("bool", new MenuItemBool(text, v)); }
void ModMenu::add(const char* text, int* v) { append("int", new MenuItemInt(text, v)); }
void ModMenu::add(const char* text, float* v) { append("float", new MenuItemFloat(text, v)); }
void ModMenu::add(const char* text, Mod* v) { append("mod", new MenuItemMod(text, v)); }
void ModMenu::add(const char* text, void (*v)()) { append("fun", new MenuItemFun(text, v)); }
void ModMenu::add(Functor* v) { append("functor", new MenuItemFunctor(v)); }

void ModMenu::keydown(char key) {
  const int count = int(item.num);
  const int before = amenuitem;
  switch (key) {
    case vk::HOME: amenuitem = 0; break;
    case vk::END:
      if (count > 0) amenuitem = count - 1;
      break;
    case vk::UP:
      if (amenuitem > 0) --amenuitem;
      break;
    case vk::DOWN:
      if (amenuitem + 1 < count) ++amenuitem;
      break;
    default:
      if (amenuitem >= 0 && amenuitem < count) {
        if (key == vk::RETURN) kroSound("menuChoose");
        item[unsigned(amenuitem)]->keydown(key);
      }
      return;
  }
  if (amenuitem != before) kroSound("menuMove");
}

void ModMenu::draw2d() {
  float y = 0.8f;
  for (unsigned i = 0; i < item.num; ++i) {
    if (int(i) == amenuitem)
      kroColor3f(1, 0, 0, 0.2f);
    else
      kroColor3f(1, 1, 1, 0.2f);
    y -= 0.1f;
    item[i]->print(y);
  }
}
