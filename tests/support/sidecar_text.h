// Helpers of the settings tests: sidecar files made from text.
#ifndef LFTM_SETTINGS_SIDECAR_TEST_FILES_H_
#define LFTM_SETTINGS_SIDECAR_TEST_FILES_H_

#include <string>
#include <vector>

#include "lftm.h"
#include "test_support.h"

namespace lftm_test {

inline bool write_text(const std::string& path, const std::string& text) {
  return write_file(path, std::vector<uint8_t>(text.begin(), text.end()));
}

inline std::string read_text(const std::string& path) {
  std::vector<uint8_t> bytes = read_file(path);
  return std::string(bytes.begin(), bytes.end());
}

// A sidecar in the usual layout whose settings lines are `body` (each ending in '\n').
inline std::string sidecar_text(const std::string& body) {
  return "<x:xmpmeta xmlns:x='adobe:ns:meta/'>\n"
         "<rdf:RDF xmlns:rdf='http://www.w3.org/1999/02/22-rdf-syntax-ns#'>\n\n"
         "<rdf:Description rdf:about=''\n"
         "xmlns:lftm='http://ns.lftm.invalid/tone_mapping_settings'>\n" +
         body + "</rdf:Description>\n\n</rdf:RDF>\n</x:xmpmeta>\n";
}

// Every slot set to `value`.
inline TmParam filled_block(float value) {
  TmParam p;
  for (float& s : p.tmParam) s = value;
  return p;
}

}  // namespace lftm_test

#endif  // LFTM_SETTINGS_SIDECAR_TEST_FILES_H_
