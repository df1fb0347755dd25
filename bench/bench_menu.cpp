// Main-menu benchmark: runs the real program's main menu under the real frame timer and prints
// frames per second and CPU use, then the frame cost without pacing and the floor frame (clear
// and swap only) for comparison. Run under Xvfb: xvfb-run -a ./bench_menu [data folder] [frames]
#include <GL/gl.h>
#include <SDL.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/lifecycle.h"
#include "app/screenloop.h"
#include "bench_util.h"
#include "platform/window.h"

namespace {
using Clock = std::chrono::steady_clock;

int framesWanted = 600;
int passes = 0;
bool measureCost = false;
bool movePointer = false;
Clock::time_point lastPass;
const int warmup = 60;
Clock::time_point steadyStart, steadyEnd;
double steadyCpuStart = 0, steadyCpuEnd = 0;
std::vector<double> costs;

void Close() {
  SDL_Event e = {};
  e.type = SDL_WINDOWEVENT;
  e.window.event = SDL_WINDOWEVENT_CLOSE;
  SDL_PushEvent(&e);
}

void MovePointer() {
  SDL_Event e = {};
  e.type = SDL_MOUSEMOTION;
  e.motion.x = 300 + passes % 400;
  e.motion.y = 200 + (passes * 3) % 300;
  SDL_PushEvent(&e);
}

void OnPass() {
  if (movePointer) MovePointer();
  if (measureCost) {
    redrawRequested = 1;  // time a drawn frame, not a kept one
    glFinish();           // count the software renderer's fill in the frame that caused it
    auto now = Clock::now();
    if (passes > 0) costs.push_back(std::chrono::duration<double, std::milli>(now - lastPass).count());
    lastPass = now;
  }
  ++passes;
  if (!measureCost && passes == warmup) {
    steadyStart = Clock::now();
    steadyCpuStart = CpuSeconds();
  }
  if (passes == framesWanted) {
    if (!measureCost) {
      steadyEnd = Clock::now();
      steadyCpuEnd = CpuSeconds();
    }
    Close();
  }
}

// Clear and swap only, in a window of the same size.
std::vector<double> FloorFrames(int n) {
  SDL_Init(SDL_INIT_VIDEO);
  SDL_Window *w = SDL_CreateWindow("floor", 0, 0, 1024, 768, SDL_WINDOW_OPENGL);
  SDL_GLContext c = SDL_GL_CreateContext(w);
  std::vector<double> out;
  for (int i = 0; i < n; ++i) {
    auto t0 = Clock::now();
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    SDL_GL_SwapWindow(w);
    glFinish();
    out.push_back(std::chrono::duration<double, std::milli>(Clock::now() - t0).count());
  }
  SDL_GL_DeleteContext(c);
  SDL_DestroyWindow(w);
  SDL_Quit();
  return out;
}
}  // namespace

int main(int argc, char **argv) {
  std::string data = argc > 1 ? argv[1] : ExeDir() + "/data";
  if (argc > 2) framesWanted = std::max(10, std::atoi(argv[2]));
  if (chdir(data.c_str()) != 0) {
    std::perror(data.c_str());
    return 1;
  }
  screenPassHook = OnPass;
  // Run in the data folder, as a build did before the player had folders of their own.
  std::string here = ".";
  std::string dataOption = "--data", userOption = "--user";
  char *run[] = {argv[0], dataOption.data(), here.data(), userOption.data(), here.data(), nullptr};

  // Paced by the real frame timer, as a player runs it: first with the pointer still, then moving.
  double wall[2], cpu[2];
  int pacedFrames = 0;
  for (int moving = 0; moving < 2; ++moving) {
    passes = 0;
    movePointer = moving;
    RunProgram(5, run);
    wall[moving] = std::chrono::duration<double>(steadyEnd - steadyStart).count();
    cpu[moving] = steadyCpuEnd - steadyCpuStart;
    pacedFrames = passes - warmup;
  }
  movePointer = false;

  // Unpaced: what one frame costs, drawing timed to glFinish.
  passes = 0;
  measureCost = true;
  fixedFrameTime = 0.013;
  RunProgram(5, run);
  std::vector<double> floor = FloorFrames(200);

  std::printf("main menu, %d frames paced by the frame timer\n", pacedFrames);
  const char *how[2] = {"pointer still ", "pointer moving"};
  for (int m = 0; m < 2; ++m)
    std::printf("  %s: %.1f frames per second, CPU %.1f %% of a core per wall second\n", how[m], pacedFrames / wall[m],
                100 * cpu[m] / wall[m]);
  std::printf("frame cost without pacing (simulation + drawing to glFinish + swap)\n");
  std::printf("  median %.2f ms, worst %.2f ms\n", Median(costs),
              costs.empty() ? 0 : *std::max_element(costs.begin(), costs.end()));
  std::printf("floor frame (clear and swap only)\n");
  std::printf("  median %.2f ms, worst %.2f ms; menu/floor ratio %.2f\n", Median(floor),
              *std::max_element(floor.begin(), floor.end()), Median(costs) / std::max(1e-9, Median(floor)));
  return 0;
}
