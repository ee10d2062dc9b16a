#pragma once
// What the parts of the data grid share (its drawing, its column layout and
// its editing live in files of their own): not for use outside the grid.

#include <QString>
#include <functional>

#include "platform/dataset/field_types.h"
#include "platform/ui/application.h"

namespace db_grid_detail {

inline constexpr int kTextMargin = 2;

// Runs an action through the application's error display; false when it raised.
inline bool TryRun(const std::function<void()>& action) {
    bool ok = false;
    Guarded([&] {
        action();
        ok = true;
    });
    return ok;
}

// Counts the grid's own driving of the dataset while it lasts.
class BusyScope {
  public:
    explicit BusyScope(int& counter) : counter_(counter) { ++counter_; }
    ~BusyScope() { --counter_; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;

  private:
    int& counter_;
};

// A value's text never holds a line break: CR and LF become blanks.
inline QString WithoutLineBreaks(QString text) {
    for (QChar& ch : text)
        if (ch == u'\r' || ch == u'\n') ch = u' ';
    return text;
}

inline bool IsNumeric(TFieldType t) {
    switch (t) {
        case ftSmallint:
        case ftInteger:
        case ftWord:
        case ftFloat:
        case ftCurrency:
        case ftBCD:
        case ftAutoInc:
        case ftLargeint:
            return true;
        default:
            return false;
    }
}

}  // namespace db_grid_detail
