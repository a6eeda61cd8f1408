// The window program's application object.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include <QApplication>

namespace z917::app::qt {

// The journals the program was started with: its arguments after those
// the toolkit took, in the file system's encoding.
std::vector<std::string> JournalArguments(const QStringList& arguments);

// Creates the application object with the program's name and icon, and
// the toolkit's translation for the system locale when installed. Qt
// sets the C library's locale from the environment here; the numeric part
// goes back to "C" so that the file writers keep the full stop in numbers
// (the XML writer reads the user's settings through a locale of its own).
// `argc` and `argv` must outlive the object.
std::unique_ptr<QApplication> CreateApplication(int& argc, char** argv);

}  // namespace z917::app::qt
