#pragma once

// Reading and rewriting one header line ("Name: value; param=value") as 8-bit bytes.
// A double quote toggles a quoted state; ":", ";" and "=" inside quotes are ordinary.
// Blanks are space and TAB.

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Index of the n-th (from 0) line starting with `prefix` (ASCII case ignored); -1 if
// there is none or `lines` is null (an absent list).
int FindHeaderLine(const std::vector<std::string> *lines, std::string_view prefix, int n);
int FindHeaderLine(const std::vector<std::string> &lines, std::string_view prefix, int n);

// Text after the first unquoted ":" up to the next unquoted ";", trimmed, with one
// pair of enclosing double quotes removed.
std::string HeaderLineValue(std::string_view line);
// Replaces the value (between ":" and ";") by " " + TrimBlanks(value); parameters stay.
std::string ReplaceHeaderLineValue(std::string_view line, std::string_view value);
// Value of parameter `param` (case and surrounding blanks ignored), trimmed and
// unquoted; empty if absent.
std::string HeaderLineParam(std::string_view line, std::string_view param);
// The same, reading also the forms of parameters that carry a charset or run over
// several sections: "param*=charset'language'%XX..." and "param*0*=", "param*1=", ...
// joined in the order of their numbers. The "%XX" escapes become bytes, kept as they
// are in the value's charset. When a parameter is given in more than one form, the form
// that comes first counts.
std::string DecodedHeaderLineParam(std::string_view line, std::string_view param);
// The same, giving the charset named by an extended value in *charset (empty when the
// value names none).
std::string DecodedHeaderLineParam(std::string_view line, std::string_view param, std::string *charset);
// Sets parameter `param` to TrimBlanks(value) (written as given, no quotes added),
// appending "; param=value" when it is absent. Works on TrimBlanks(line); a trailing
// ";" is dropped.
std::string ReplaceHeaderLineParam(std::string_view line, std::string_view param, std::string_view value);
// Every form of parameter `param` (plain, extended, numbered sections) as written, in
// order: {name, value} with the value trimmed and still quoted or escaped.
std::vector<std::pair<std::string, std::string>> HeaderLineParamForms(std::string_view line, std::string_view param);
// The line without any form of parameter `param` (each with the ";" before it).
std::string RemoveHeaderLineParam(std::string_view line, std::string_view param);
// Canonical field name spelling ("Content-Type:", "Message-ID:") and blanks outside
// quotes in the value collapsed to one space.
std::string NormalizeHeaderLine(std::string_view line);
