// Property values in JSON: reading one by its table row, writing one back, comparing two, and
// the words the reference uses for them. Internal to host/document.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "host/document/json_reader.h"
#include "host/document/kind.h"

namespace symbolhost::document {

// Turns a member reference (a symbol's name, or an inline symbol object) into a symbol the
// reader keeps alive until reading ends; null after reporting why.
using MemberReader = std::function<IGIS_Symbol*(const Node& at, std::optional<Shape> shape)>;
// Writes a member: by its name when the library holds an equal symbol, otherwise inline.
using MemberWriter = std::function<Json(IGIS_Symbol& member)>;
using MemberComparer = std::function<bool(IGIS_Symbol* a, IGIS_Symbol* b)>;

std::optional<Value> ReadValue(const Property& property, const Node& at, Reader& reader,
                               const MemberReader& members);
Json WriteValue(const Property& property, const Value& value, const MemberWriter& members);
bool SameValue(const Property& property, const Value& a, const Value& b, const MemberComparer& members);

// For the reference: what the value looks like, and its default as a document writes it.
std::string DescribeValueType(const Property& property);
std::string DescribeDefault(const Property& property);

}  // namespace symbolhost::document
