// Just enough JSON for the simulator's state view: a writer that escapes text correctly (device
// names are UTF-8 and may hold anything) and a reader for the tests and tools that consume it.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>
#include <variant>
#include <vector>

namespace cpe::sim {

class JsonWriter {
public:
    JsonWriter& BeginObject();
    JsonWriter& EndObject();
    JsonWriter& BeginArray();
    JsonWriter& EndArray();
    JsonWriter& Key(std::string_view key);
    JsonWriter& String(std::string_view value);
    JsonWriter& Number(std::int64_t value);
    JsonWriter& Unsigned(std::uint64_t value);
    JsonWriter& Real(double value);
    JsonWriter& Bool(bool value);
    template <typename T>
    JsonWriter& Field(std::string_view key, const T& value) {
        Key(key);
        if constexpr (std::is_same_v<T, bool>)
            return Bool(value);
        else if constexpr (std::is_floating_point_v<T>)
            return Real(value);
        else if constexpr (std::is_integral_v<T> && std::is_signed_v<T>)
            return Number(value);
        else if constexpr (std::is_integral_v<T>)
            return Unsigned(value);
        else
            return String(value);
    }
    const std::string& Text() const { return out_; }

private:
    void Separate();
    std::string out_;
    std::vector<bool> first_;  // per open container: nothing written yet
    bool afterKey_ = false;
};

struct JsonValue {
    using Object = std::map<std::string, JsonValue, std::less<>>;
    using Array = std::vector<JsonValue>;
    std::variant<std::nullptr_t, bool, double, std::string, std::shared_ptr<Array>, std::shared_ptr<Object>> v;

    bool IsObject() const { return std::holds_alternative<std::shared_ptr<Object>>(v); }
    bool IsArray() const { return std::holds_alternative<std::shared_ptr<Array>>(v); }
    // Member or element access; a missing one is null.
    const JsonValue& operator[](std::string_view key) const;
    const JsonValue& operator[](std::size_t index) const;
    std::size_t Size() const;
    std::string Str() const;  // "" unless a string
    double Num() const;       // 0 unless a number
    std::int64_t Int() const { return static_cast<std::int64_t>(Num()); }
    bool Boolean() const;  // false unless true
};

std::optional<JsonValue> ParseJson(std::string_view text);

}  // namespace cpe::sim
