#include "sim/json.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/unicode_text.h"

namespace cpe::sim {

void JsonWriter::Separate() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!first_.empty()) {
        if (!first_.back())
            out_ += ',';
        first_.back() = false;
    }
}

JsonWriter& JsonWriter::BeginObject() {
    Separate();
    out_ += '{';
    first_.push_back(true);
    return *this;
}
JsonWriter& JsonWriter::EndObject() {
    out_ += '}';
    first_.pop_back();
    return *this;
}
JsonWriter& JsonWriter::BeginArray() {
    Separate();
    out_ += '[';
    first_.push_back(true);
    return *this;
}
JsonWriter& JsonWriter::EndArray() {
    out_ += ']';
    first_.pop_back();
    return *this;
}

JsonWriter& JsonWriter::Key(std::string_view key) {
    String(key);
    out_ += ':';
    afterKey_ = true;
    return *this;
}

JsonWriter& JsonWriter::String(std::string_view value) {
    Separate();
    platform::AppendJsonString(out_, value);
    return *this;
}

JsonWriter& JsonWriter::Number(std::int64_t value) {
    Separate();
    out_ += std::to_string(value);
    return *this;
}
JsonWriter& JsonWriter::Unsigned(std::uint64_t value) {
    Separate();
    out_ += std::to_string(value);
    return *this;
}
JsonWriter& JsonWriter::Bool(bool value) {
    Separate();
    out_ += value ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::Real(double value) {
    Separate();
    if (!std::isfinite(value)) {
        out_ += "null";
    } else {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%.6g", value);
        out_ += buf;
    }
    return *this;
}

namespace {

const JsonValue& Null() {
    static const JsonValue null;
    return null;
}

class Reader {
public:
    explicit Reader(std::string_view t) : t_(t) {}

    std::optional<JsonValue> Document() {
        auto v = Value(0);
        Space();
        if (!v || i_ != t_.size())
            return std::nullopt;
        return v;
    }

private:
    void Space() {
        while (i_ < t_.size() && (t_[i_] == ' ' || t_[i_] == '\n' || t_[i_] == '\r' || t_[i_] == '\t'))
            ++i_;
    }
    bool Eat(char c) {
        Space();
        if (i_ < t_.size() && t_[i_] == c) {
            ++i_;
            return true;
        }
        return false;
    }
    bool Word(std::string_view w) {
        if (t_.substr(i_, w.size()) == w) {
            i_ += w.size();
            return true;
        }
        return false;
    }

    std::optional<JsonValue> Value(int depth) {
        if (depth > 64)
            return std::nullopt;
        Space();
        if (i_ >= t_.size())
            return std::nullopt;
        const char c = t_[i_];
        if (c == '{')
            return ObjectValue(depth);
        if (c == '[')
            return ArrayValue(depth);
        if (c == '"') {
            auto s = StringValue();
            if (!s)
                return std::nullopt;
            return JsonValue{*s};
        }
        if (Word("true"))
            return JsonValue{true};
        if (Word("false"))
            return JsonValue{false};
        if (Word("null"))
            return JsonValue{nullptr};
        return NumberValue();
    }

    std::optional<JsonValue> ObjectValue(int depth) {
        ++i_;
        auto obj = std::make_shared<JsonValue::Object>();
        if (Eat('}'))
            return JsonValue{obj};
        do {
            Space();
            auto key = StringValue();
            if (!key || !Eat(':'))
                return std::nullopt;
            auto v = Value(depth + 1);
            if (!v)
                return std::nullopt;
            (*obj)[*key] = std::move(*v);
        } while (Eat(','));
        if (!Eat('}'))
            return std::nullopt;
        return JsonValue{obj};
    }

    std::optional<JsonValue> ArrayValue(int depth) {
        ++i_;
        auto arr = std::make_shared<JsonValue::Array>();
        if (Eat(']'))
            return JsonValue{arr};
        do {
            auto v = Value(depth + 1);
            if (!v)
                return std::nullopt;
            arr->push_back(std::move(*v));
        } while (Eat(','));
        if (!Eat(']'))
            return std::nullopt;
        return JsonValue{arr};
    }

    static void Utf8(std::string& out, std::uint32_t cp) {
        if (cp < 0x80) {
            out += static_cast<char>(cp);
        } else if (cp < 0x800) {
            out += static_cast<char>(0xC0 | (cp >> 6));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        } else {
            out += static_cast<char>(0xE0 | (cp >> 12));
            out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (cp & 0x3F));
        }
    }

    std::optional<std::string> StringValue() {
        if (i_ >= t_.size() || t_[i_] != '"')
            return std::nullopt;
        ++i_;
        std::string out;
        while (i_ < t_.size()) {
            const char c = t_[i_++];
            if (c == '"')
                return out;
            if (c != '\\') {
                out += c;
                continue;
            }
            if (i_ >= t_.size())
                return std::nullopt;
            const char e = t_[i_++];
            switch (e) {
            case '"':
            case '\\':
            case '/': out += e; break;
            case 'n': out += '\n'; break;
            case 'r': out += '\r'; break;
            case 't': out += '\t'; break;
            case 'b': out += '\b'; break;
            case 'f': out += '\f'; break;
            case 'u': {
                if (i_ + 4 > t_.size())
                    return std::nullopt;
                std::uint32_t cp = 0;
                for (int k = 0; k < 4; ++k) {
                    const char h = t_[i_++];
                    cp <<= 4;
                    if (h >= '0' && h <= '9')
                        cp |= static_cast<std::uint32_t>(h - '0');
                    else if (h >= 'a' && h <= 'f')
                        cp |= static_cast<std::uint32_t>(h - 'a' + 10);
                    else if (h >= 'A' && h <= 'F')
                        cp |= static_cast<std::uint32_t>(h - 'A' + 10);
                    else
                        return std::nullopt;
                }
                Utf8(out, cp);
                break;
            }
            default: return std::nullopt;
            }
        }
        return std::nullopt;
    }

    std::optional<JsonValue> NumberValue() {
        const std::size_t start = i_;
        while (i_ < t_.size() && (std::isdigit(static_cast<unsigned char>(t_[i_])) || t_[i_] == '-' || t_[i_] == '+' ||
                                  t_[i_] == '.' || t_[i_] == 'e' || t_[i_] == 'E'))
            ++i_;
        if (start == i_)
            return std::nullopt;
        const std::string text(t_.substr(start, i_ - start));
        char* end = nullptr;
        const double v = std::strtod(text.c_str(), &end);
        if (end != text.c_str() + text.size())
            return std::nullopt;
        return JsonValue{v};
    }

    std::string_view t_;
    std::size_t i_ = 0;
};

}  // namespace

const JsonValue& JsonValue::operator[](std::string_view key) const {
    if (!IsObject())
        return Null();
    const auto& obj = *std::get<std::shared_ptr<Object>>(v);
    const auto it = obj.find(key);
    return it == obj.end() ? Null() : it->second;
}

const JsonValue& JsonValue::operator[](std::size_t index) const {
    if (!IsArray())
        return Null();
    const auto& arr = *std::get<std::shared_ptr<Array>>(v);
    return index < arr.size() ? arr[index] : Null();
}

std::size_t JsonValue::Size() const {
    if (IsArray())
        return std::get<std::shared_ptr<Array>>(v)->size();
    if (IsObject())
        return std::get<std::shared_ptr<Object>>(v)->size();
    return 0;
}

std::string JsonValue::Str() const {
    const auto* s = std::get_if<std::string>(&v);
    return s ? *s : std::string();
}

double JsonValue::Num() const {
    const auto* d = std::get_if<double>(&v);
    return d ? *d : 0.0;
}

bool JsonValue::Boolean() const {
    const auto* b = std::get_if<bool>(&v);
    return b && *b;
}

std::optional<JsonValue> ParseJson(std::string_view text) { return Reader(text).Document(); }

}  // namespace cpe::sim
