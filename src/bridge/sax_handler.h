// libxml2's SAX2 handler as the bridge's parsers start from it.
#pragma once

#include <libxml/SAX2.h>
#include <libxml/parser.h>
#include <libxml/xmlerror.h>

#include <cstring>

namespace bridge {

// libxml2's errors outside a parse (a converter's) would go to stderr: passed over.
inline void SilentXmlError(void*, const char*, ...) {}

// A SAX2 handler with libxml2's defaults, its errors silenced, and none of the callbacks the
// parsers leave unused (the old element callbacks, comments, processing instructions, the
// external subset, the printed warnings and errors): the caller sets its element, text and
// error callbacks (`serror`) and whatever else it takes.
inline xmlSAXHandler QuietSaxHandler() {
  xmlSetGenericErrorFunc(nullptr, &SilentXmlError);
  xmlSAXHandler sax;
  std::memset(&sax, 0, sizeof sax);
  xmlSAXVersion(&sax, 2);
  sax.startElement = nullptr;
  sax.endElement = nullptr;
  sax.comment = nullptr;
  sax.processingInstruction = nullptr;
  sax.externalSubset = nullptr;
  sax.warning = nullptr;
  sax.error = nullptr;
  sax.fatalError = nullptr;
  return sax;
}

}  // namespace bridge
