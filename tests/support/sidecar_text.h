// SPDX-License-Identifier: BSD-3-Clause
// Sidecar texts and settings blocks for the settings tests.
#ifndef LFTM_TESTS_SUPPORT_SIDECAR_TEXT_H_
#define LFTM_TESTS_SUPPORT_SIDECAR_TEXT_H_

#include <string>

#include "lftm.h"

namespace lftm_test {

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

#endif  // LFTM_TESTS_SUPPORT_SIDECAR_TEXT_H_
