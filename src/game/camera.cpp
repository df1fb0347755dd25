#include "game/camera.h"

#include <cmath>

tvector CameraPos = {0, 0};
double zoom = 0.6;
uint8_t cameraFollow = 1;

bool OnScreen(tvector p) {
  double k = 9.0 / (6.1 * zoom);
  return std::fabs((p.x - CameraPos.x) * k) < 5 && std::fabs((p.y - CameraPos.y) * k) < 3.75;
}
