#include "cli/TerminalMessageSink.h"

#include <cctype>
#include <string>

namespace tarnwick::cli {

MessageAnswer TerminalMessageSink::show(const Message& message) {
  std::lock_guard lock(mutex_);
  const bool question = message.buttons == MessageButtons::YesNo || message.buttons == MessageButtons::YesNoCancel;
  std::fprintf(out_, "\n%s%s", message.text.c_str(), question ? " [y/N] " : "\n");
  std::fflush(out_);
  if (!question) return defaultAnswer(message.buttons);
  if (assumeYes_) {
    std::fputs("yes\n", out_);
    return MessageAnswer::Yes;
  }
  std::FILE* tty = std::fopen("/dev/tty", "r");
  if (tty == nullptr) {
    std::fputs("no (no terminal to ask)\n", out_);
    return MessageAnswer::No;
  }
  char line[64] = {0};
  const bool read = std::fgets(line, sizeof line, tty) != nullptr;
  std::fclose(tty);
  std::string answer = read ? line : "";
  while (!answer.empty() && std::isspace(static_cast<unsigned char>(answer.back()))) answer.pop_back();
  for (auto& c : answer) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return answer == "y" || answer == "yes" ? MessageAnswer::Yes : MessageAnswer::No;
}

}  // namespace tarnwick::cli
