#include "cli/exporter/exposition.h"

#include <charconv>
#include <cmath>

namespace cpe::cli {
namespace {

// HELP texts escape backslash and line feed; OpenMetrics escapes the double quote as well.
void AppendHelp(std::string& out, std::string_view help, ExpositionFormat format) {
    for (char c : help) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '"' && format == ExpositionFormat::kOpenMetrics)
            out += "\\\"";
        else
            out += c;
    }
}

std::string_view TypeWord(MetricType type, ExpositionFormat format) {
    switch (type) {
    case MetricType::kCounter: return "counter";
    case MetricType::kInfo: return format == ExpositionFormat::kOpenMetrics ? "info" : "gauge";
    case MetricType::kGauge: break;
    }
    return "gauge";
}

std::string_view Suffix(MetricType type) {
    switch (type) {
    case MetricType::kCounter: return "_total";
    case MetricType::kInfo: return "_info";
    case MetricType::kGauge: break;
    }
    return {};
}

}  // namespace

ExpositionFormat NegotiateFormat(std::string_view accept) {
    return accept.find("application/openmetrics-text") != std::string_view::npos ? ExpositionFormat::kOpenMetrics
                                                                                 : ExpositionFormat::kPrometheus;
}

std::string_view ContentType(ExpositionFormat format) {
    return format == ExpositionFormat::kOpenMetrics ? "application/openmetrics-text; version=1.0.0; charset=utf-8"
                                                    : "text/plain; version=0.0.4; charset=utf-8";
}

void AppendLabelValue(std::string& out, std::string_view value) {
    for (char c : value) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '"')
            out += "\\\"";
        else if (c == '\n')
            out += "\\n";
        else
            out += c;
    }
}

void ExpositionWriter::Family(std::string_view name, MetricType type, std::string_view help) {
    sampleName_.assign(name);
    sampleName_ += Suffix(type);
    // The Prometheus text format declares the sample's name; OpenMetrics the family's.
    const std::string_view declared = format_ == ExpositionFormat::kOpenMetrics ? name : sampleName_;
    out_ += "# HELP ";
    out_ += declared;
    out_ += ' ';
    AppendHelp(out_, help, format_);
    out_ += "\n# TYPE ";
    out_ += declared;
    out_ += ' ';
    out_ += TypeWord(type, format_);
    out_ += '\n';
}

void ExpositionWriter::SampleStart(std::initializer_list<Label> labels) {
    out_ += sampleName_;
    if (labels.size() == 0) {
        out_ += ' ';
        return;
    }
    char separator = '{';
    for (const Label& label : labels) {
        out_ += separator;
        out_ += label.name;
        out_ += "=\"";
        AppendLabelValue(out_, label.value);
        out_ += '"';
        separator = ',';
    }
    out_ += "} ";
}

void ExpositionWriter::Sample(std::initializer_list<Label> labels, double value) {
    SampleStart(labels);
    if (std::isnan(value)) {
        out_ += "NaN";
    } else if (std::isinf(value)) {
        out_ += value > 0 ? "+Inf" : "-Inf";
    } else {
        // Whole numbers (a timestamp without milliseconds) as integers, not "1.8e+09".
        char text[32];
        const bool whole = std::trunc(value) == value && std::fabs(value) < 1e15;
        const auto end = whole ? std::to_chars(text, text + sizeof text, static_cast<std::int64_t>(value)).ptr
                               : std::to_chars(text, text + sizeof text, value).ptr;
        out_.append(text, end);
    }
    out_ += '\n';
}

void ExpositionWriter::Sample(std::initializer_list<Label> labels, std::uint64_t value) {
    SampleStart(labels);
    char text[24];
    const auto end = std::to_chars(text, text + sizeof text, value).ptr;
    out_.append(text, end);
    out_ += '\n';
}

std::string ExpositionWriter::Finish() {
    if (format_ == ExpositionFormat::kOpenMetrics)
        out_ += "# EOF\n";
    return std::move(out_);
}

}  // namespace cpe::cli
