#pragma once
// What a screen asks of the toolkit around it: named transitions to the next
// screen, going back, alerts, and opening a web address. The navigation
// stack implements it; a front end supplies the drawing behind it.

#include <string_view>

#include "app/screens/AlertView.h"

namespace corvane::app {

class TableCell;
class ViewController;

class Navigator {
public:
    virtual ~Navigator() = default;
    // Makes the segue's destination screen, lets the source prepare it (the
    // sender is the cell that led there, if any), and shows it.
    virtual void performSegue(ViewController& source, std::string_view identifier, TableCell* sender) = 0;
    // Whether a segue of this name leads to a screen.
    virtual bool canPerformSegue(std::string_view identifier) const = 0;
    virtual void popViewControllerAnimated(bool animated) = 0;
    virtual void showAlert(const AlertView& alertView) = 0;
    // Opens a web address in the system browser; NO when it cannot.
    virtual bool openURL(std::string_view url) = 0;
};

}  // namespace corvane::app
