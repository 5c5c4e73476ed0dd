// The claim a running editor holds on its own recovery copy, so that no
// other editor offers that copy at start-up or takes it over while its
// writer still runs.
//
// A claim is a named object of the user's session ("Local\Tolvane.Recovery."
// and the copy's name without ".tvr") that the holder keeps open.  The
// system closes a process's handles when it ends however it ends, so the
// claims of an editor that crashed or was killed are gone with it and its
// copies can be offered.  Claims reach every process of the same session
// only; an editor in another session of the same user sees none of them.
//
// take() and heldElsewhere() may be called from any thread; a CopyClaim
// itself belongs to one owner at a time.
#pragma once

#include <optional>
#include <string>
#include <utility>

namespace tolvane {

class CopyClaim {
 public:
  // The claim on `copyName` ("<32 hex digits>.tvr"); nullopt when another
  // CopyClaim holds it already, in this process or another, or the system
  // refuses the claim.
  static std::optional<CopyClaim> take(const std::string& copyName);
  // Whether any CopyClaim holds `copyName` now, one of this process's
  // included: an editor asks before it offers a copy, and it never offers
  // its own.
  static bool heldElsewhere(const std::string& copyName);

  CopyClaim(CopyClaim&& other) noexcept;
  CopyClaim& operator=(CopyClaim&& other) noexcept;
  CopyClaim(const CopyClaim&) = delete;
  CopyClaim& operator=(const CopyClaim&) = delete;
  // Releases the claim.
  ~CopyClaim();

  const std::string& copyName() const { return copyName_; }

 private:
  CopyClaim(void* handle, std::string copyName) : handle_(handle), copyName_(std::move(copyName)) {}
  void release();

  void* handle_ = nullptr;  // the named object, open while the claim is held
  std::string copyName_;
};

}  // namespace tolvane
