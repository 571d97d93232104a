#pragma once

#include "platform/MessageSink.h"

#include <cstdio>
#include <mutex>

namespace tarnwick::cli {

// Shows messages on stderr. Questions are answered Yes when the command line said --yes;
// otherwise they are asked on the controlling terminal ("y" or "yes" is Yes), and answered
// No when there is no terminal to ask.
class TerminalMessageSink : public MessageSink {
 public:
  TerminalMessageSink(std::FILE* out, bool assumeYes) : out_(out), assumeYes_(assumeYes) {}
  MessageAnswer show(const Message& message) override;

 private:
  std::FILE* out_;
  bool assumeYes_;
  std::mutex mutex_;
};

}  // namespace tarnwick::cli
