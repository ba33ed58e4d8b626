// The text a monitoring system scrapes: the Prometheus text exposition format (version 0.0.4) or,
// when the scraper asks for it, OpenMetrics 1.0. Both share the sample lines; they differ in the
// content type, in how counters and info metrics are declared, and in OpenMetrics' closing line.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace cpe::cli {

enum class ExpositionFormat : std::uint8_t { kPrometheus, kOpenMetrics };

// OpenMetrics when the Accept header names it, else the Prometheus text format.
ExpositionFormat NegotiateFormat(std::string_view accept);
std::string_view ContentType(ExpositionFormat format);

enum class MetricType : std::uint8_t {
    kGauge,
    kCounter,  // samples end in "_total"
    kInfo,     // value 1, the labels are the information; samples end in "_info"
};

struct Label {
    std::string_view name;
    std::string_view value;  // UTF-8
};

// Writes metric families one after the other: Family, then its samples. The family's name is
// given without the suffix its type adds ("cpe_exporter_searches", a counter, gives
// "cpe_exporter_searches_total").
class ExpositionWriter {
public:
    explicit ExpositionWriter(ExpositionFormat format) : format_(format) {}

    void Family(std::string_view name, MetricType type, std::string_view help);
    void Sample(std::initializer_list<Label> labels, double value);
    void Sample(std::initializer_list<Label> labels, std::uint64_t value);
    // The whole text; OpenMetrics ends with "# EOF".
    std::string Finish();
    // Reserves room for a text of about this size.
    void Reserve(std::size_t bytes) { out_.reserve(bytes); }

private:
    void SampleStart(std::initializer_list<Label> labels);

    ExpositionFormat format_;
    std::string out_;
    std::string sampleName_;
};

// Appends a label value with backslash, double quote and line feed escaped as both formats want.
void AppendLabelValue(std::string& out, std::string_view value);

}  // namespace cpe::cli
