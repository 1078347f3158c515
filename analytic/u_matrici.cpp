#include "analytic/u_matrici.h"

namespace {

std::function<void(const std::string&)>& ErrorSink() {
    static std::function<void(const std::string&)> sink;
    return sink;
}

}  // namespace

void SetMatrixErrorSink(std::function<void(const std::string&)> sink) {
    ErrorSink() = std::move(sink);
}

void ReportMatrixError(const std::string& text) {
    if (ErrorSink()) ErrorSink()(text);
}
