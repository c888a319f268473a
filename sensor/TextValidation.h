// How the sensor pages take numbers from their edits, without widgets, so that a handler can
// refuse a text before anything is sent, saved or started.
//
// The rules are those of the pages' data exchange: blanks (spaces, tabs) around the number are
// ignored; the number is a decimal with an optional sign (and, for voltages, a fraction and an
// exponent); nothing may follow it but blanks; a text whose value is zero must begin with the
// digit '0' ("-0" and ".0" are refused, as the page has always refused them); the value must lie
// in the edit's range. None of these depends on the process locale.
#pragma once

#include <optional>
#include <string>

// A voltage edit (voltage standard): a float in 0.0..5.0, compared in single precision.
std::optional<float> ValidateVoltageText(const std::string& text);

// An intensity edit: an integer in 0..255.
std::optional<int> ValidateIntensityText(const std::string& text);
