// The system timer's granularity held at 1 ms for one scope. Windows rounds every pause and every
// timer period up to its default period of about 15.6 ms, which would stretch the download's 30 ms
// tick to 31 ms or more and its pauses alike; holding the fine period while a download runs keeps
// the exchange on its schedule. Each holder asks for the period on construction and gives it back
// on destruction (the system counts the requests), so holders may nest.
//
//   FineTimerResolution   holds the 1 ms period from construction to destruction
#pragma once

namespace platform {

class FineTimerResolution {
 public:
  FineTimerResolution();
  ~FineTimerResolution();
  FineTimerResolution(const FineTimerResolution&) = delete;
  FineTimerResolution& operator=(const FineTimerResolution&) = delete;

 private:
  bool m_held = false;  // whether the system granted the period, so only a granted one is returned
};

}  // namespace platform
