// Shows one of the wizard's modal windows by itself, for the end-to-end
// tests and the demo: the password prompt appears only when an archive asks
// for a password, and this lets a test drive it without one.
//
//   page_gallery password [english]   asks twice, prints each answer in brackets
//   page_gallery about VERSION        shows the about box
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "pages/AboutBox_win.h"
#include "pages/PasswordPrompt_win.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  pelmora::pages::UiResources resources(GetModuleHandleA(nullptr));
  const std::string what = argv[1];
  if (what == "password") {
    pelmora::pages::PasswordPrompt prompt(resources);
    if (argc > 2 && std::strcmp(argv[2], "english") == 0) prompt.SwitchToEnglish();
    for (int request = 0; request < 2; ++request) {
      std::printf("[%s]\n", prompt.Ask(GetDesktopWindow()).c_str());
      std::fflush(stdout);
    }
    return 0;
  }
  if (what == "about" && argc > 2) {
    pelmora::pages::AboutBox about(resources);
    about.SetVersion(argv[2]);
    about.Present();
    return 0;
  }
  return 2;
}
