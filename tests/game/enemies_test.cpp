// Tests of the enemies' behaviour and the roster.
#include "kalvor.h"
#include "luxmobil.h"
#include "priestArmor.h"
#include "priestRope.h"
#include "priestRun.h"
#include "zombie.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
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

TEST_F(Enemies, RunnerStandsOneSecondThenFleesToTheNearerEdge) {
  Zombie* zombie = new Zombie;
  Gift* target = nullptr;  // whichever gift it chose: it arrives when it stands on it
  for (Gift* g : {gift(0), gift(1)}) {
    place(zombie, g->x, g->y);
    zombie->update(0.01f);
    if (zombie->act == 'T') target = g;
    zombie->startAct('G');
  }
  ASSERT_NE(target, nullptr);
  place(zombie, target->x, target->y);
  zombie->update(0.01f);
  for (int i = 0; i < 4; ++i) zombie->update(0.25f);  // exactly 1.0 s: still standing
  EXPECT_EQ(zombie->act, 'T');
  EXPECT_EQ(target->parent, nullptr);
  zombie->update(0.25f);
  EXPECT_EQ(zombie->act, 'R');
  EXPECT_EQ(target->parent, zombie);
  const float start = zombie->x;
  zombie->update(0.1f);
  EXPECT_EQ(zombie->x < start, start < 0);
  while (zombie->x > -1.0f && zombie->x < 1.0f) {
    EXPECT_EQ(nextMod, nullptr);
    zombie->update(0.1f);
  }
  EXPECT_EQ(lossText(), "Zarekwirowane prezent, polegles.");
}

TEST_F(Enemies, AKilledCarrierDropsTheGiftWhereItFalls) {
  Zombie* zombie = new Zombie;
  Gift* carried = gift(1);
  carried->parent = zombie;
  carried->x = carried->y = 0;
  place(zombie, 0.42f, -0.3f);
  carried->update(0);
  // Where gift and carrier overlap the gift, first in the list, takes the click.
  game->mouseLDown(0.42f, -0.3f);
  EXPECT_EQ(lossText(), "Strzeliles w prezent.");
  zombie->kill();
  EXPECT_EQ(game->obCount(), 2u);
  EXPECT_EQ(carried->parent, nullptr);
  EXPECT_EQ(carried->x, 0.42f);
  EXPECT_EQ(carried->y, -0.3f);
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

TEST_F(Enemies, ArmouredPriestEndsTheGame1Point1SecondsAfterArriving) {
  Armor* priest = new Armor;
  place(priest, priest->standX(), priest->standY());
  priest->update(0.01f);
  for (int i = 0; i < 4; ++i) priest->update(0.25f);
  EXPECT_EQ(priest->act, 'R');
  EXPECT_STREQ(priest->getTex(), "data/priestArmorBodyR.png");
  priest->update(0.25f);
  EXPECT_EQ(priest->act, 'S');
  EXPECT_STREQ(priest->getTex(), "data/priestArmorBodyS.png");
  priest->update(0.1f);
  EXPECT_EQ(nextMod, nullptr);
  priest->update(0.01f);
  EXPECT_EQ(lossText(), "Okazano ci katolickie milosierdzie.");
  EXPECT_STREQ(dynamic_cast<ModGameOver*>(nextMod)->getPicture(), "data/lost.png");
}

TEST_F(Enemies, StandPointsKeepClearOfTheGifts) {
  for (int i = 0; i < 300; ++i) {
    Armor* a = new Armor;
    EXPECT_GE(a->standX(), -0.8f);
    EXPECT_LT(a->standX(), 0.8f);
    EXPECT_LT(a->standY(), std::abs(a->standX()) < 0.2f ? -0.1f : 0.2f);
    Rope* r = new Rope;
    EXPECT_EQ(r->x, r->standX());
    EXPECT_EQ(r->y, 1.2f);
    EXPECT_GE(r->standY(), 0.45f);
    EXPECT_LT(r->standY(), 0.75f);
    startAt(1);
  }
}

TEST_F(Enemies, RopePriestHeadSitsLeftAndIsSmaller) {
  placeWithParts(new Rope, 0, 0);
  Ob* head = game->ob(3);
  EXPECT_TRUE(head->isItIn(-0.06f, 0.139f));
  EXPECT_FALSE(head->isItIn(-0.06f, 0.141f));
  EXPECT_FALSE(head->isItIn(-0.101f, 0.1f));
  EXPECT_TRUE(head->isItIn(-0.099f, 0.1f));
}

// The face of a head's picture: the box round the shapes its source marks
// 'face', which the art script writes as the tEXt chunk "face" (x0 y0 x1 y1,
// pixels from the top left), and the picture's size.
struct Face {
  float x0 = 0, y0 = 0, x1 = 0, y1 = 0, width = 0, height = 0;
};

Face faceOf(const char* picture) {
  std::ifstream in(std::string(GIFTGUARD_SOURCE_DIR) + "/" + picture, std::ios::binary);
  const std::string png((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  auto word = [&](size_t at) {
    unsigned n = 0;
    for (size_t i = at; i < at + 4; ++i) n = n << 8 | static_cast<unsigned char>(png[i]);
    return n;
  };
  Face face;
  for (size_t at = 8; at + 16 <= png.size(); at += 12 + word(at)) {
    const std::string type = png.substr(at + 4, 4);
    if (type == "IHDR") face.width = float(word(at + 8)), face.height = float(word(at + 12));
    if (type == "tEXt" && png.compare(at + 8, 5, std::string("face", 5)) == 0)
      std::sscanf(png.substr(at + 13, word(at) - 5).c_str(), "%f %f %f %f", &face.x0, &face.y0, &face.x1, &face.y1);
  }
  return face;
}

// Where the body's quad covers the head's, a click hits the body: the drawn
// face must lie in the rest, so that a click on it is the head shot it looks like.
TEST_F(Enemies, TheDrawnFaceOfEveryHeadTakesTheClick) {
  struct Kind {
    Enemy* (*make)();
    bool headKills;  // the boss's head only passes the hit on
  };
  const Kind kinds[] = {{[]() -> Enemy* { return new Zombie; }, true},
                        {[]() -> Enemy* { return new PriestRun; }, true},
                        {[]() -> Enemy* { return new PriestArmor; }, true},
                        {[]() -> Enemy* { return new PriestRope; }, true},
                        {[]() -> Enemy* { return new Kalvor; }, false}};
  std::set<std::string> seen;
  for (int round = 0; round < 16; ++round)  // each priest wears both heads in turn
    for (const Kind& kind : kinds) {
      startAt(1);
      Enemy* enemy = kind.make();
      placeWithParts(enemy, 0.5f, -0.5f);  // clear of the gifts
      Ob* head = game->ob(3);
      const Face face = faceOf(head->getTex());
      SCOPED_TRACE(head->getTex());
      ASSERT_LT(face.x0, face.x1) << "no face marked";
      seen.insert(std::string(typeid(*enemy).name()) + head->getTex());
      // The picture is stretched over the quad, its top row along corners 0 and 3.
      const float* c = head->corners();
      auto fieldX = [&](float px) { return c[0] + (c[4] - c[0]) * px / face.width; };
      auto fieldY = [&](float py) { return c[1] - (c[1] - c[3]) * py / face.height; };
      for (float px : {face.x0, face.x1})
        for (float py : {face.y0, face.y1}) {
          EXPECT_TRUE(head->isItIn(fieldX(px), fieldY(py))) << px << "," << py;
          EXPECT_FALSE(enemy->isItIn(fieldX(px), fieldY(py))) << px << "," << py;
        }
      if (!kind.headKills) continue;
      game->mouseLDown(fieldX((face.x0 + face.x1) / 2), fieldY((face.y0 + face.y1) / 2));
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
