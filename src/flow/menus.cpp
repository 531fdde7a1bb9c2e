#include "flow/menus.h"

#include <iostream>

#include "flow/state.h"

namespace {

const char* const kBanner[] = {
    "*************************************************************\n",
    "*******   marsk's Velmora Shores Vehicle Editor v.1.0   *****\n",
    "*************************************************************\n\n",
    "DISCLAIMER:\nI don't take any responsibility for damages or problems on your\n"
    "computer caused by this program.\n\n",
    "IMPORTANT:\nAvaible changeable values and vehicles can be found in the Readme.txt.\n",
    "Only use capital letters and when specifying a number which is not an\n"
    "integer, use the character . (dot), not the character , (comma).\n",
    "Otherwise this might cause your Velmora Shores game to crash.\n",
};

const char* const kMainMenu[] = {
    "\nEnter your choice, then press enter.\n",
    "\n1. Edit a vehicle manually",
    "\n2. Turn a car into a super car",
    "\n3. Turn a bike into a super bike",
    "\n4. Make a vehicle as strong as the Rhino",
    "\n5. Credits",
    "\n0. Exit\n\n",
};

const char* const kReducedMenu[] = {
    "\nEnter your choice, then press enter.\n",
    "\n1. Credits\n",
    "0. Exit\n\n",
};

template <std::size_t N>
void writeAll(const char* const (&texts)[N]) {
  for (const char* text : texts)
    std::cout << text;
}

}  // namespace

void showMenu() {
  if (bannerShown == 0) writeAll(kBanner);
  if (mode == modeManual) {
    writeAll(kMainMenu);
  } else {
    writeAll(kReducedMenu);
  }
}
