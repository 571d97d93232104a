#pragma once

#include "platform/MessageSink.h"

#include <deque>
#include <vector>

// Keeps every message it is shown and answers questions from a queue (No when empty).
class RecordingSink : public tarnwick::MessageSink {
 public:
  tarnwick::MessageAnswer show(const tarnwick::Message& message) override {
    shown.push_back(message);
    if (message.buttons == tarnwick::MessageButtons::Ok) return tarnwick::MessageAnswer::Ok;
    if (answers.empty()) return tarnwick::MessageAnswer::No;
    const tarnwick::MessageAnswer answer = answers.front();
    answers.pop_front();
    return answer;
  }
  std::vector<tarnwick::Message> shown;
  std::deque<tarnwick::MessageAnswer> answers;
};
