#include "app/frame/cpu_load_source.h"

#include <exception>

#include "core/shell/activity_log.h"
#include "system/text/locale_text.h"

namespace vantrel::app {

CpuLoadSource::~CpuLoadSource() { Stop(); }

void CpuLoadSource::Start(Feed<CpuLoad>& feed, const WriteLog& log) {
  feed_ = &feed;
  try {
    meter_ = std::make_unique<CpuUsageMeter>();
  } catch (const std::exception& e) {
    if (log) log(LogLine(L"RefreshCPU", ExceptionMessage(e)));
    return;
  }
  meter_->OnInterval = [this](CpuUsageMeter&, const std::vector<int32_t>& processors, int32_t average) {
    Publish(processors, average);
  };
  meter_->SetActive(true);
}

void CpuLoadSource::Stop() {
  if (meter_) meter_->SetActive(false);
}

void CpuLoadSource::Tick() {
  if (meter_) meter_->Tick();
}

void CpuLoadSource::Publish(const std::vector<int32_t>& processors, int32_t average) {
  load_.average = average;
  load_.processors.assign(processors.begin(), processors.end());
  if (feed_) feed_->Publish(load_);
}

}  // namespace vantrel::app
