// The COM start-up calls of the user-interface thread, behind a seam so that
// tests can make them fail.
//
// ComSession runs them in order when the main window is built and undoes the
// first one when it goes away: CoInitializeEx (multithreaded apartment), and
// only if that worked CoInitializeSecurity (default authentication,
// impersonation).  It remembers which calls succeeded and the result of the
// last call made, so the main window can report the one that failed.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

class ComApi {
 public:
  virtual ~ComApi() = default;
  virtual HRESULT initialize() = 0;
  virtual HRESULT initializeSecurity() = 0;
  virtual void uninitialize() = 0;
};

// The real calls.
ComApi& systemComApi();

class ComSession {
 public:
  static constexpr uint32_t kInitialized = 1;          // bit 0
  static constexpr uint32_t kSecurityInitialized = 2;  // bit 1

  explicit ComSession(ComApi& api);
  ~ComSession();
  ComSession(const ComSession&) = delete;
  ComSession& operator=(const ComSession&) = delete;

  bool ok() const { return flags == (kInitialized | kSecurityInitialized); }
  // The start-up message for a failed session: which call failed, and its
  // result in lower-case hexadecimal.
  std::string failureMessage() const;

  uint32_t flags = 0;
  HRESULT hr = S_OK;

 private:
  ComApi& api_;
};
