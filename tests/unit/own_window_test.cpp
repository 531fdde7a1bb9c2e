#include "flow/own_window.h"

#include <gtest/gtest.h>

TEST(OwnWindow, WaitsOnlyInAConsoleOfItsOwnWithNothingRedirected) {
  const struct {
    const char* start;
    unsigned long processCount;
    bool inputIsConsole;
    bool outputIsConsole;
    bool waits;
  } cases[] = {
      {"double-clicked in Explorer", 1, true, true, true},
      {"typed in a console window", 2, true, true, false},
      {"from a batch file in a console", 3, true, true, false},
      {"own console, input redirected", 1, false, true, false},
      {"own console, output redirected", 1, true, false, false},
      {"own console, both redirected", 1, false, false, false},
      {"a console of others, input redirected", 2, false, true, false},
      {"no console at all, as on POSIX", 0, false, false, false},
  };
  for (const auto& c : cases) {
    platform::ConsoleFacts facts;
    facts.processCount = c.processCount;
    facts.inputIsConsole = c.inputIsConsole;
    facts.outputIsConsole = c.outputIsConsole;
    EXPECT_EQ(waitBeforeClosing(facts), c.waits) << c.start;
  }
}
