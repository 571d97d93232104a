#include "platform/MessageSink.h"

namespace tarnwick {

MessageAnswer defaultAnswer(MessageButtons buttons) {
  switch (buttons) {
    case MessageButtons::Ok: return MessageAnswer::Ok;
    case MessageButtons::YesNo: return MessageAnswer::No;
    case MessageButtons::OkCancel:
    case MessageButtons::YesNoCancel:
    case MessageButtons::RetryCancel: return MessageAnswer::Cancel;
  }
  return MessageAnswer::Cancel;
}

MessageAnswer StreamMessageSink::show(const Message& message) {
  // Plain stdio and no allocation: this also reports running out of memory.
  std::fputs(message.caption.c_str(), out_);
  std::fputs(": ", out_);
  std::fputs(message.text.c_str(), out_);
  std::fputc('\n', out_);
  std::fflush(out_);
  switch (message.buttons) {
    case MessageButtons::Ok: return MessageAnswer::Ok;
    case MessageButtons::YesNo:
    case MessageButtons::YesNoCancel: return questionAnswer_;
    default: return defaultAnswer(message.buttons);
  }
}

}  // namespace tarnwick
