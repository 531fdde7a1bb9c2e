#pragma once

// Changes `record`: applies the preset of `mode` (super car, super bike, Rhino), or in manual
// editing lets the user change one value.
void editRecord();

// Asks for a field code until a valid one comes, shows the field's current text and makes the
// next word typed its new text.
void editOneValue();
