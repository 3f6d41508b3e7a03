// The enemies: runners and the gifts, priests at their stand points, the heads, the boss's event.
#include "kalvor.h"
#include "luxmobil.h"
#include "priestArmor.h"
#include "priestRope.h"
#include "priestRun.h"
#include "zombie.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <set>
#include <typeinfo>

#include "game_support.h"

namespace {

using Enemies = FieldTest;

// Exposes the stand point.
template <typename Priest> struct Standing : Priest {
  float standX() const { return this->tx; }
  float standY() const { return this->ty; }
};
using Armor = Standing<PriestArmor>;
using Rope = Standing<PriestRope>;

TEST_F(Enemies, RunnerTakesTheGiftAfterASecondFleesToTheNearerEdgeAndDropsItWhereItFalls) {
  delete gift(1);  // the one gift left is its target
  Gift* target = gift(0);
  Zombie* zombie = new Zombie;
  place(zombie, target->x, target->y);
  zombie->update(0.01f);
  for (int i = 0; i < 4; ++i) zombie->update(0.25f);  // exactly 1.0 s: still standing
  EXPECT_EQ(zombie->act, 'T');
  EXPECT_EQ(target->parent, nullptr);
  zombie->update(0.25f);
  EXPECT_EQ(target->parent, zombie);
  const float start = zombie->x;
  zombie->update(0.1f);
  EXPECT_EQ(zombie->x < start, start < 0);
  while (zombie->x > -1.0f && zombie->x < 1.0f) {
    EXPECT_EQ(nextMod, nullptr);
    zombie->update(0.1f);
  }
  EXPECT_EQ(lossText(), "Zarekwirowane prezent, polegles.");
  const float x = zombie->x, y = zombie->y;
  zombie->kill();
  ASSERT_EQ(game->obCount(), 1u);
  EXPECT_EQ(target->parent, nullptr);
  EXPECT_EQ(target->x, x);
  EXPECT_EQ(target->y, y);
}

TEST_F(Enemies, RunnerOnAFieldWithoutGiftsWalksOff) {
  delete gift(0);
  delete gift(0);
  Zombie* zombie = new Zombie;
  const float start = zombie->x;
  frames(20, 0.1f);
  EXPECT_EQ(zombie->act, 'R');
  EXPECT_GT(std::abs(zombie->x), std::abs(start));
  EXPECT_EQ(nextMod, nullptr);
}

TEST_F(Enemies, PriestsEndTheGame1Point1SecondsAfterReachingTheirStandPoint) {
  auto glow = [&](auto* priest, const std::string& body) {
    SCOPED_TRACE(body);
    place(priest, priest->standX(), priest->standY());
    priest->update(0.01f);
    for (int i = 0; i < 4; ++i) priest->update(0.25f);
    EXPECT_EQ(priest->getTex(), body + "R.png");
    priest->update(0.25f);
    EXPECT_EQ(priest->getTex(), body + "S.png");
    priest->update(0.1f);
    EXPECT_EQ(nextMod, nullptr);
    priest->update(0.01f);
    EXPECT_EQ(lossText(), "Okazano ci katolickie milosierdzie.");
    EXPECT_STREQ(dynamic_cast<ModGameOver*>(nextMod)->getPicture(), "data/lost.png");
  };
  glow(new Armor, "data/priestArmorBody");
  startAt(1);
  glow(new Rope, "data/priestRopeBody");
}

TEST_F(Enemies, StandPointsKeepClearOfTheGifts) {
  for (int i = 0; i < 300; ++i, startAt(1)) {
    Armor* a = new Armor;
    EXPECT_TRUE(a->standX() >= -0.8f && a->standX() < 0.8f) << a->standX();
    EXPECT_LT(a->standY(), std::abs(a->standX()) < 0.2f ? -0.1f : 0.2f);
    Rope* r = new Rope;  // comes down from above the field
    EXPECT_TRUE(r->x == r->standX() && r->y == 1.2f);
    EXPECT_TRUE(r->standY() >= 0.45f && r->standY() < 0.75f) << r->standY();
  }
}

TEST_F(Enemies, RopePriestHeadSitsLeftAndIsSmaller) {
  place(new Rope, 0, 0);
  Ob* head = game->ob(3);
  EXPECT_TRUE(head->isItIn(-0.06f, 0.139f));
  EXPECT_FALSE(head->isItIn(-0.06f, 0.141f));
  EXPECT_FALSE(head->isItIn(-0.101f, 0.1f));
  EXPECT_TRUE(head->isItIn(-0.099f, 0.1f));
}

// Where the body's quad covers the head's, a click hits the body: the drawn face must lie in
// the rest, so that a click on it is the head shot it looks like.
TEST_F(Enemies, TheDrawnFaceOfEveryHeadTakesTheClick) {
  const std::function<Enemy*()> kinds[] = {[] { return new Zombie; }, [] { return new PriestRun; },
                                           [] { return new PriestArmor; }, [] { return new PriestRope; },
                                           [] { return new Kalvor; }};
  std::set<std::string> seen;
  for (int round = 0; round < 16; ++round)  // each priest wears both heads in turn
    for (const auto& make : kinds) {
      startAt(1);
      Enemy* enemy = make();
      place(enemy, 0.5f, -0.5f);  // clear of the gifts
      Ob* head = game->ob(3);
      SCOPED_TRACE(head->getTex());
      seen.insert(std::string(typeid(*enemy).name()) + head->getTex());
      // The face: the box round the shapes the picture's source marks 'face', which the art
      // script writes as the tEXt chunk "face" (x0 y0 x1 y1, pixels from the top left).
      const std::string png = readFile(std::string(GIFTGUARD_SOURCE_DIR) + "/" + head->getTex());
      auto word = [&](size_t at) {
        unsigned n = 0;
        for (size_t i = at; i < at + 4; ++i) n = n << 8 | static_cast<unsigned char>(png[i]);
        return n;
      };
      float x0 = 0, y0 = 0, x1 = 0, y1 = 0, width = 0, height = 0;
      for (size_t at = 8; at + 16 <= png.size(); at += 12 + word(at)) {
        if (png.compare(at + 4, 4, "IHDR") == 0) width = float(word(at + 8)), height = float(word(at + 12));
        if (png.compare(at + 4, 9, std::string("tEXtface", 9)) == 0)
          std::sscanf(png.substr(at + 13, word(at) - 5).c_str(), "%f %f %f %f", &x0, &y0, &x1, &y1);
      }
      ASSERT_LT(x0, x1) << "no face marked";
      // The picture is stretched over the quad, its top row along corners 0 and 3.
      const float* c = head->corners();
      auto fieldX = [&](float px) { return c[0] + (c[4] - c[0]) * px / width; };
      auto fieldY = [&](float py) { return c[1] - (c[1] - c[3]) * py / height; };
      for (float px : {x0, x1})
        for (float py : {y0, y1}) {
          EXPECT_TRUE(head->isItIn(fieldX(px), fieldY(py))) << px << "," << py;
          EXPECT_FALSE(enemy->isItIn(fieldX(px), fieldY(py))) << px << "," << py;
        }
      if (dynamic_cast<Kalvor*>(enemy)) continue;  // the boss's head only passes the hit on
      game->mouseLDown(fieldX((x0 + x1) / 2), fieldY((y0 + y1) / 2));
      EXPECT_EQ(game->getScore(), 1);
      EXPECT_EQ(game->obCount(), 2u);
    }
  EXPECT_EQ(seen.size(), 8u);
}

TEST_F(Enemies, LimousineDeliversTheBossAndLeaves) {
  Luxmobil* limo = new Luxmobil;
  EXPECT_TRUE(game->kalvor);
  float t = 0;
  while (limo->act == 'G' && t < 10) frames(1, 0.05f), t += 0.05f;
  EXPECT_NEAR(t, 2.7, 0.1);  // it stops once x² is below the step
  frames(4, 0.25f);
  EXPECT_EQ(game->obCount(), 3u);  // still standing at 1.0 s
  frames(1, 0.25f);
  ASSERT_EQ(game->obCount(), 5u);
  EXPECT_EQ(game->ob(4), limo);  // over the boss and its head
  auto* boss = dynamic_cast<Kalvor*>(game->ob(2));
  ASSERT_NE(boss, nullptr);
  frames(1, 0);                // the boss came in the update pass at the limousine's place: placed next frame
  game->mouseLDown(0, -0.5f);  // both overlap: the boss takes it
  EXPECT_EQ(game->obCount(), 5u);
  while (game->obCount() == 5 && t < 20) frames(1, 0.05f), t += 0.05f;
  EXPECT_EQ(game->obCount(), 4u);  // the limousine has gone
  EXPECT_TRUE(game->kalvor);
  for (int i = 0; i < 38; ++i) boss->hit();
  game->ob(3)->hit();  // the boss's head counts as a body hit
  EXPECT_EQ(game->getScore(), 257);
  EXPECT_EQ(game->obCount(), 2u);
  EXPECT_FALSE(game->kalvor);
}

TEST_F(Enemies, ABossEventCutShortDoesNotStopSpawning) {
  Luxmobil* limo = new Luxmobil;
  for (int i = 0; i < 100; ++i) limo->hit();
  EXPECT_EQ(game->getScore(), 1);
  EXPECT_FALSE(game->kalvor);
  new Luxmobil;
  game->reset(1, nullptr);
  EXPECT_FALSE(game->kalvor);
  game->update(1.0f);
  EXPECT_GT(game->obCount(), 2u);
}

}  // namespace
