#include "editor/document/document_record.h"

namespace {

tolvane::DocumentKeyring assemble(const DocumentRecord& record, const tolvane::DocumentKey& key) {
  if (record.format == tolvane::DocumentFormat::kStrong)
    return tolvane::DocumentKeyring::strongFromKey(key, record.salt, record.cost);
  return tolvane::DocumentKeyring(key);
}

}  // namespace

void DocumentRecord::keep(const tolvane::DocumentKeyring& keyring) {
  key.set(keyring.key());
  format = keyring.format();
  salt = keyring.salt();
  cost = keyring.cost();
}

void DocumentRecord::forget() {
  key.clear();
  format = tolvane::DocumentFormat::kClassic;
  salt.fill(0);
  cost = {0, 0};
}

void DocumentRecord::useKeyring(const std::function<void(const tolvane::DocumentKeyring&)>& user) const {
  key.use([&](const tolvane::DocumentKey& plain) { user(assemble(*this, plain)); });
}

tolvane::DocumentKeyring DocumentRecord::keyringFor(std::string_view password) const {
  return assemble(*this, tolvane::DocumentKey{}).withPassword(password);
}

bool DocumentRecord::opensWith(std::string_view password) const {
  return !key.empty() && key.matches(keyringFor(password).key());
}
