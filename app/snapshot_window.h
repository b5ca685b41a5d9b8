// A window made of plain values: the fields as they were when a search began,
// and whatever the controller wrote, for the window to take over afterwards.
// The Qt window runs the controller against one on a worker thread while the
// widgets stay on the interface thread; korvel-cli fills one from its options.
#pragma once

#include <optional>
#include <string>

#include "app/window.h"

namespace korvel {

class SnapshotWindow : public KorvelWindow {
public:
    // The fields read when the search was asked for.
    int row = 0;
    int internal = 0;
    int external = 0;
    std::string input;
    bool fullPrecision = false;
    bool certify = true;
    bool errorBounds = false;

    // What the controller set; empty where it set nothing.
    std::optional<int> newInternal, newExternal;
    std::optional<std::string> output, time, status, reading;
    std::optional<SearchResult> result;

    int selectedRow() const override { return row; }
    int internalFigures() const override { return newInternal.value_or(internal); }
    void setInternalFigures(int figures) override { newInternal = figures; }
    int externalFigures() const override { return newExternal.value_or(external); }
    void setExternalFigures(int figures) override { newExternal = figures; }
    std::string inputText() const override { return input; }
    void setOutputText(std::string const& text) override { output = text; }
    void setTimeText(std::string const& text) override { time = text; }
    void setStatusText(std::string const& text) override { status = text; }
    void setReadingText(std::string const& text) override { reading = text; }
    bool fullPrecisionSearch() const override { return fullPrecision; }
    bool certifyFigures() const override { return certify; }
    bool showErrorBounds() const override { return errorBounds; }
    void setResult(SearchResult const& r) override { result = r; }
};

}  // namespace korvel
