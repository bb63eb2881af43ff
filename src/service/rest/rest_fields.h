#pragma once
// The fields of a REST call as names and texts, read from a query string, a form body
// (application/x-www-form-urlencoded) or a JSON object. The first of a repeated name wins.

#include <map>
#include <string>
#include <string_view>

namespace ocrgated {

using RestFields = std::map<std::string, std::string, std::less<>>;

// "a=1&b=x%2By+z": %XX and '+' decoded; a malformed escape stays as it is. Adds the fields
// not yet present.
void ReadFormFields(std::string_view text, RestFields& fields);

// {"a": "1", "b": true, "c": 2}: strings, booleans and numbers, as their text. Throws
// RestError (invalid param) for anything else.
void ReadJsonFields(std::string_view text, RestFields& fields);

// The body by its Content-Type: JSON when it says json, a form otherwise.
void ReadBodyFields(std::string_view content_type, std::string_view body, RestFields& fields);

// "%41+b" -> "A b".
std::string DecodeFormText(std::string_view text);

}  // namespace ocrgated
