// libFuzzer target for the settings-file reader: any bytes must be survived,
// and whatever is understood must come back the same after writing it out.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "platform/linux/reg_format.hpp"
#include "platform/tree_registry.hpp"

namespace {

using vodivuri::platform::RegistryHive;
using vodivuri::platform::RegistryRoot;
using vodivuri::platform::TreeRegistry;
using namespace vodivuri::platform::linux_os;

[[noreturn]] void fail(const char* what, const std::string& text) {
  std::fprintf(stderr, "round trip broken: %s\n--- written ---\n%s\n--- end ---\n", what,
               text.c_str());
  std::abort();
}

bool sameHive(const RegistryHive& a, const RegistryHive& b) {
  if (a.size() != b.size()) return false;
  for (auto ia = a.begin(), ib = b.begin(); ia != a.end(); ++ia, ++ib) {
    if (ia->first != ib->first || ia->second.path != ib->second.path ||
        ia->second.values != ib->second.values) {
      return false;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const RegFileContents first = parseRegFile(bytes);
  if (!first.ok()) return 0;

  TreeRegistry original;
  applyRegFile(first, original, RegistryRoot::CurrentUser);
  std::size_t skipped = 0;
  const std::string written = formatRegFile(original.hive(RegistryRoot::CurrentUser), &skipped);

  const RegFileContents second = parseRegFile(written);
  if (!second.ok()) fail(("the written file does not parse: " + second.error).c_str(), written);
  TreeRegistry reread;
  applyRegFile(second, reread, RegistryRoot::CurrentUser);
  // Names a file line cannot hold are left out on purpose; all else must match.
  if (skipped == 0 &&
      !sameHive(original.hive(RegistryRoot::CurrentUser), reread.hive(RegistryRoot::CurrentUser))) {
    fail("the values read back differ", written);
  }
  // Writing what was read back gives the same text.
  if (formatRegFile(reread.hive(RegistryRoot::CurrentUser)) != written) {
    fail("writing again gives another text", written);
  }
  return 0;
}
