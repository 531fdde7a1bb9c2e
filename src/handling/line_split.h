#pragma once

#include <string_view>

#include "handling/handling_record.h"

// Space, tab, line feed, vertical tab, form feed and carriage return; every other byte is text.
bool isFieldSeparator(char c);

// Splits `line` at runs of separators into its first 33 fields; missing fields are empty and
// anything after the 33rd field is ignored.
HandlingRecord splitFields(std::string_view line);

// What `line` holds after its 33rd field, from the separators right after that field to the end,
// when a 34th field follows; empty otherwise, so separators alone at the end are not kept.
std::string_view tailAfterFields(std::string_view line);

// Fills `record` from `currentLine`.
void splitLine();
