#pragma once

#include <cstdio>
#include <string>

namespace tarnwick {

// What a message box shows and how it may be answered.
enum class MessageIcon { Information, Warning, Error, Question };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, RetryCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No, Retry };

struct Message {
  std::string text;     // UTF-8
  std::string caption;  // UTF-8
  MessageIcon icon = MessageIcon::Information;
  MessageButtons buttons = MessageButtons::Ok;
  bool systemModal = false;
};

// Where the engines send the messages a user must see. The desktop shows a message box;
// the command line prints to stderr and answers questions from its flags.
class MessageSink {
 public:
  virtual ~MessageSink() = default;
  virtual MessageAnswer show(const Message& message) = 0;
};

// Prints "caption: text" to a stream and answers every question with a fixed answer
// (the first button's answer unless told otherwise).
class StreamMessageSink : public MessageSink {
 public:
  explicit StreamMessageSink(std::FILE* out = stderr) : out_(out) {}
  // The answer to questions (Yes/No and Yes/No/Cancel boxes); No unless set.
  void setQuestionAnswer(MessageAnswer answer) { questionAnswer_ = answer; }
  MessageAnswer show(const Message& message) override;

 private:
  std::FILE* out_;
  MessageAnswer questionAnswer_ = MessageAnswer::No;
};

// The answer a box gives when it is dismissed without a choice: the affirmative first
// button for Ok boxes, Cancel where there is one, No otherwise.
MessageAnswer defaultAnswer(MessageButtons buttons);

}  // namespace tarnwick
