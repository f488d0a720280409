// The one shape of "refused, with this message": what a check returns when a
// command must not go on. A check that passes returns an empty Refusal; one
// that refuses returns the Chinese text the user is shown. Commands test it
// like a pointer and show its message:
//
//   if (meet::Refusal refused = CheckSomething(book)) {
//     ui.MessageBox(refused.Message(), Icon::Exclamation);
//     return;
//   }
#pragma once

#include <string>
#include <utility>

namespace korvane::meet {

class [[nodiscard]] Refusal {
 public:
  // Passes.
  Refusal() = default;
  // Refuses with `message`; an empty message is a programming error and is
  // replaced by a generic text, so that a refusal is never shown as nothing.
  static Refusal Because(std::string message) {
    Refusal r;
    r.message_ = message.empty() ? std::string("操作无法完成。") : std::move(message);
    return r;
  }

  // True when refused.
  explicit operator bool() const { return !message_.empty(); }
  // The message shown to the user; empty when the check passed.
  const std::string& Message() const { return message_; }

 private:
  std::string message_;
};

}  // namespace korvane::meet
