#include "splash/splash_window.h"

#include "splash/splash_window_host.h"
#include "ui/window_process.h"

namespace {

// The splash in a window process of its own, started at once; closing ends that process and
// waits for it.
class ProcessSplashWindow : public SplashWindow {
  public:
    explicit ProcessSplashWindow(std::unique_ptr<WindowProcess> process)
        : process_(std::move(process)) {}

    // The splash has nothing to answer: its process need not finish starting GTK to be ended.
    void close() override { process_->endAtOnce(); }

  private:
    std::unique_ptr<WindowProcess> process_;
};

} // namespace

std::unique_ptr<SplashWindow> startSplashWindow(const SplashRequest& request, std::atomic<void*>&) {
    // Without a display there is no splash.
    std::unique_ptr<WindowProcess> process = WindowProcess::start(splashWindowRequest(request));
    if (!process)
        return nullptr;
    return std::make_unique<ProcessSplashWindow>(std::move(process));
}
