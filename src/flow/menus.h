#pragma once

#include <string_view>

// The answers the main menu takes, and the final menu once the credits were shown.
inline constexpr std::string_view kMainChoices[] = {"1", "2", "3", "4", "5", "0"};
// The answers the after-edit menu and the first showing of the final menu take.
inline constexpr std::string_view kTwoChoices[] = {"1", "0"};

// Writes the banner while `bannerShown` is 0, then the main menu when `mode` is manual or the
// reduced menu (credits, exit) otherwise. Never writes the prompt.
void showMenu();
