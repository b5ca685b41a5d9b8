// What the controller needs of a window: the six outlets' roles and the choice
// of search.
#pragma once

#include <string>

#include "app/result.h"

namespace korvel {

class KorvelWindow {
public:
    virtual ~KorvelWindow() = default;

    virtual int selectedRow() const = 0;              // myRadio: 0 = clean up negligible parts
    virtual int internalFigures() const = 0;          // TextFieldSFint as an integer, 0 when none
    virtual void setInternalFigures(int figures) = 0;
    virtual int externalFigures() const = 0;          // TextFieldSFext
    virtual void setExternalFigures(int figures) = 0;
    virtual std::string inputText() const = 0;        // TextViewCoeffs
    virtual void setOutputText(std::string const& text) = 0;  // TextViewRoots, replaced whole
    virtual void setTimeText(std::string const& text) = 0;    // TextFieldTime
    // Lines under the output: a warning of the search, or what refused the
    // text or stopped the search; "" clears them.
    virtual void setStatusText(std::string const& text) = 0;
    // How the text was read: what the reader passed over ("Ignored: ...") and
    // the polynomial as read ("Read as: ..."); "" when it could not be read.
    // A window that shows its own reading of the text as it is typed may
    // ignore it.
    virtual void setReadingText(std::string const& text) { (void)text; }
    virtual bool fullPrecisionSearch() const = 0;     // true: the full-precision search, false: staged
    // Carry more figures until every shown figure is certain (on by default).
    virtual bool certifyFigures() const { return true; }
    // Write each root's certified error bound after the values.
    virtual bool showErrorBounds() const { return false; }
    // The roots themselves after a successful search, for views other than the
    // output text; a window that shows only text ignores them.
    virtual void setResult(SearchResult const& result) { (void)result; }
};

// A precision field's text as an integer, the way a text field reads one:
// leading blanks, an optional sign, then digits; 0 when there is no number.
// Values beyond the int range are clamped.
int fieldInteger(std::string const& text);

}  // namespace korvel
