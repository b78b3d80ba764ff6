// The SDL host's question and message boxes. This header includes no SDL
// header; only the sources of this folder do.
#pragma once

#include <string>

// Shows a Yes/No question and sets `yes` to the answer. Where no question
// can be shown, returns false with the reason in our own words in `why`. An
// end signal (SIGTERM, SIGINT) closes an open question; it then counts as
// answered No.
bool SdlShowQuestion(const std::string& utf8_caption, const std::string& utf8_text, bool* yes,
                     std::string* why);

// Shows a message with one OK button; false where it cannot be shown. An end
// signal closes it as OK does.
bool SdlShowMessage(const std::string& utf8_caption, const std::string& utf8_text);

// The text on one line: line breaks become spaces and those at the end are
// dropped, so a box's text can stand inside one line of the log.
std::string OneLine(const std::string& utf8_text);
