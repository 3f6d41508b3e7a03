#pragma once
// Everything on the play field is an Ob: a textured quad with a position, optionally riding on a parent.
// Constructing one puts it into play; the destructor takes it out again, together with
// everything riding on it.

class Ob {
public:
  Ob();
  virtual ~Ob();
  Ob(const Ob&) = delete;
  Ob& operator=(const Ob&) = delete;

  // Advances by t seconds; the base only places the corners.
  virtual void update(float t);
  virtual const char* getTex() const;
  // 'E' enemy body, 'G' gift, 'e' a part attached to an enemy.
  virtual char getType() = 0;
  virtual void onHit() {}

  void draw();
  void hit();
  // Strictly inside the bounding box of the corners: an edge is outside.
  bool isItIn(float x, float y) const;
  // The current corners (ver below), for tests and tools that look at the field.
  const float* corners() const { return ver; }

  Ob* parent = nullptr;
  float x = 0;
  float y = 0;

protected:
  // Current corners in field coordinates: top-left, bottom-left, bottom-right, top-right.
  float ver[8] = {};
  // The corners relative to the object's own position, same order.
  float baseVer[8];
  // A square of half-size h around the position.
  void setSquare(float h);

private:
  static const float uv[8];
};
