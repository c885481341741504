#pragma once

namespace kestrune::platform {

// The application object's flag that says whether the program shows its main
// window at start (true unless a component cleared it while the window was
// built). Kept on the QApplication, so it lives and dies with it.
bool ShowMainForm();
void SetShowMainForm(bool Value);

} // namespace kestrune::platform
