// Message-loop figures, printed rather than asserted:
//   1. tasks per second posted from several threads at once through a loop's proxy, and
//      delivered (run) by the loop, for the default and the UI pump;
//   2. the latency of one immediate task posted to an idle loop, from the post to the
//      start of the task on the loop's thread.
// Run through tools/bench/message_loop.sh.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

#include "base/message_loop/message_loop_proxy.h"
#include "base/thread/framework_thread.h"
#include "base/win/scoped_handle.h"

namespace {

double Seconds(LONGLONG ticks) {
  LARGE_INTEGER frequency;
  ::QueryPerformanceFrequency(&frequency);
  return static_cast<double>(ticks) / static_cast<double>(frequency.QuadPart);
}

LONGLONG Now() {
  LARGE_INTEGER now;
  ::QueryPerformanceCounter(&now);
  return now.QuadPart;
}

class LoopThread : public nbase::FrameworkThread {
 public:
  LoopThread() : FrameworkThread("bench") {}
  ~LoopThread() override { Stop(); }
};

const char* KindName(nbase::MessageLoopKind kind) {
  return kind == nbase::MessageLoopKind::UI ? "UI" : "default";
}

void Throughput(nbase::MessageLoopKind kind, int posters, int tasks_per_poster) {
  LoopThread loop;
  loop.StartWithLoop(kind);
  std::shared_ptr<nbase::MessageLoopProxy> proxy = loop.proxy();
  const long total = static_cast<long>(posters) * tasks_per_poster;
  std::atomic<long> delivered{0};
  nbase::win::ScopedHandle all_delivered(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
  const HANDLE done = all_delivered.get();

  std::atomic<bool> go{false};
  std::vector<std::thread> threads;
  std::vector<LONGLONG> post_ticks(posters);
  for (int p = 0; p < posters; ++p) {
    threads.emplace_back([&, p] {
      while (!go.load()) std::this_thread::yield();
      const LONGLONG start = Now();
      for (int i = 0; i < tasks_per_poster; ++i) {
        proxy->Post([&delivered, total, done] {
          if (delivered.fetch_add(1) + 1 == total) ::SetEvent(done);
        });
      }
      post_ticks[p] = Now() - start;
    });
  }
  const LONGLONG start = Now();
  go = true;
  for (std::thread& thread : threads) thread.join();
  const LONGLONG posted = Now() - start;
  ::WaitForSingleObject(done, INFINITE);
  const LONGLONG finished = Now() - start;
  std::printf("  %-7s pump, %d poster thread(s), %ld tasks: posted %.0f tasks/s, delivered %.0f tasks/s\n",
              KindName(kind), posters, total, total / Seconds(posted), total / Seconds(finished));
}

void Latency(nbase::MessageLoopKind kind, int samples) {
  LoopThread loop;
  loop.StartWithLoop(kind);
  std::shared_ptr<nbase::MessageLoopProxy> proxy = loop.proxy();
  nbase::win::ScopedHandle ran(::CreateEventW(nullptr, FALSE, FALSE, nullptr));
  const HANDLE ran_event = ran.get();
  std::vector<double> micros;
  for (int i = 0; i < samples; ++i) {
    // Let the loop fall idle (back in its wait) before the next post.
    ::Sleep(2);
    LONGLONG started_at = 0;
    const LONGLONG posted_at = Now();
    proxy->Post([&started_at, ran_event] {
      started_at = Now();
      ::SetEvent(ran_event);
    });
    ::WaitForSingleObject(ran_event, INFINITE);
    micros.push_back(Seconds(started_at - posted_at) * 1e6);
  }
  std::sort(micros.begin(), micros.end());
  auto at = [&](double q) { return micros[static_cast<size_t>(q * (micros.size() - 1))]; };
  std::printf("  %-7s loop, %d samples: median %.0f us, p90 %.0f us, p99 %.0f us, max %.0f us\n",
              KindName(kind), samples, at(0.5), at(0.9), at(0.99), micros.back());
}

}  // namespace

int main() {
  std::printf("Tasks posted across threads through the proxy and delivered:\n");
  // The UI pump looks at the window-message queue between tasks, which costs far more
  // than a task under Wine; it gets fewer tasks so the run stays short.
  for (int posters : {1, 2, 4, 8}) Throughput(nbase::MessageLoopKind::Default, posters, 400000 / posters);
  for (int posters : {1, 2, 4, 8}) Throughput(nbase::MessageLoopKind::UI, posters, 20000 / posters);
  std::printf("Latency of an immediate task posted to an idle loop:\n");
  Latency(nbase::MessageLoopKind::UI, 500);
  Latency(nbase::MessageLoopKind::Default, 500);
  return 0;
}
