#include "kalvor.h"
#include "luxmobil.h"
#include "priestArmor.h"
#include "priestRope.h"
#include "zombie.h"

#include <gtest/gtest.h>

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
  frames(1, 0);  // the boss came in the update pass at the limousine's place: placed next frame
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
