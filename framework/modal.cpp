#include "framework/modal.h"

#include "orka/text/wide.h"

namespace fw {

namespace {

ModalResponder& responder() {
  static ModalResponder instance;
  return instance;
}

}  // namespace

ModalResponder setModalResponder(ModalResponder next) {
  ModalResponder old = std::move(responder());
  responder() = std::move(next);
  return old;
}

bool hasModalResponder() { return static_cast<bool>(responder()); }

std::optional<int> askModalResponder(ModalRequest& request) {
  if (!responder()) return std::nullopt;
  // Copy: the responder may replace itself while answering.
  ModalResponder current = responder();
  return current(request);
}

int messageBox(HWND owner, std::string_view text, std::string_view caption, UINT flags) {
  ModalRequest request;
  request.kind = ModalKind::MessageBox;
  request.text = std::string(text);
  request.caption = std::string(caption);
  request.style = flags;
  if (std::optional<int> answer = askModalResponder(request)) return *answer;
  // A box shown after the loop was asked to end (an error reported on the
  // way out) would take the waiting WM_QUIT as its own and vanish unread:
  // the request is set aside while the box is up, then made again.
  MSG quit;
  const bool quitting = PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != FALSE;
  const int answer = MessageBoxW(owner, orka::widen(text).c_str(), orka::widen(caption).c_str(), flags);
  if (quitting) PostQuitMessage(static_cast<int>(quit.wParam));
  return answer;
}

// ------------------------------------------------------ ScriptedModals

ScriptedModals::ScriptedModals() {
  previous_ = setModalResponder([this](ModalRequest& request) { return respond(request); });
}

ScriptedModals::~ScriptedModals() { setModalResponder(std::move(previous_)); }

void ScriptedModals::answer(int result, std::function<void(ModalRequest&)> prepare) {
  answers_.push_back({result, std::move(prepare)});
}

void ScriptedModals::answerPath(std::string path) {
  answer(IDOK, [path = std::move(path)](ModalRequest& request) { request.path = path; });
}

std::optional<int> ScriptedModals::respond(ModalRequest& request) {
  seen_.push_back({request.kind, request.text, request.caption, request.style, request.templateId});
  if (answers_.empty()) {
    ++unexpected_;
    return IDCANCEL;
  }
  Answer next = std::move(answers_.front());
  answers_.pop_front();
  if (next.prepare) next.prepare(request);
  return next.result;
}

}  // namespace fw
