// The JSON documents, written with nlohmann::json. Numbers of any size travel
// as decimal texts; figures and counts as JSON numbers.
#include "app/json.h"

#include <cmath>

#include <nlohmann/json.hpp>

#include "app/output.h"

namespace korvel {

namespace {

using json = nlohmann::ordered_json;

json complexJson(fpComplex const& z, int figures) { return {{"re", toString(z.re, figures)}, {"im", toString(z.im, figures)}}; }

// Cluster 0 means "not known"; JSON says null.
json known(int v, int unknown) { return v == unknown ? json(nullptr) : json(v); }

// The members of a search's document, after those given in doc.
json resultDocument(SearchResult const& result, json doc) {
    int const shown = result.options.shownFigures;
    // Built by moving each part into place: a batch writes millions of these.
    json coefficients = json::array();
    coefficients.get_ref<json::array_t&>().reserve(result.coefficients.size());
    for (auto const& c : result.coefficients) coefficients.push_back(complexJson(c, result.options.carriedFigures));
    json roots = json::array();
    roots.get_ref<json::array_t&>().reserve(result.roots.size());
    for (auto const& r : result.roots) {
        json root = complexJson(r.root, shown);
        root["value"] = complexJson(r.value, shown);
        root["radius"] = r.radius ? json(toString(*r.radius, 3)) : json(nullptr);
        root["certainFigures"] = r.certainFigures;
        root["cluster"] = known(r.cluster, 0);
        root["multiplicity"] = r.multiplicity;
        roots.push_back(std::move(root));
    }
    std::string const& warning = result.warning;
    json input = json::object();
    input["degree"] = result.degree();
    input["coefficients"] = std::move(coefficients);
    doc["input"] = std::move(input);
    doc["settings"] = {{"shown", shown},
                       {"carried", result.options.carriedFigures},
                       {"carriedUsed", result.carriedUsed},
                       {"search", result.options.search == RootSearch::fullPrecision ? "fullPrecision" : "staged"},
                       {"cleanup", result.options.cleanUp},
                       {"certify", result.options.certify},
                       {"path", result.exactFactors ? "square-free factors" : "whole polynomial"}};
    doc["roots"] = std::move(roots);
    doc["warning"] = warning.empty() ? json(nullptr) : json(warning);
    // To the microsecond: the clock says no more, and 0.000265 reads better than 0.00026499600000000004.
    doc["seconds"] = std::round(result.seconds * 1e6) / 1e6;
    return doc;
}

// Text from the input (a refused line's bytes in an error's detail) may be no
// valid UTF-8: such bytes are written as U+FFFD rather than refused.
std::string text(json const& doc, int indent) { return doc.dump(indent, ' ', false, json::error_handler_t::replace); }

}  // namespace

std::string resultJson(SearchResult const& result) { return text(resultDocument(result, json::object()), 2) + "\n"; }

std::string batchResultJson(std::int64_t line, SearchResult const& result) {
    return text(resultDocument(result, json{{"line", line}}), -1) + "\n";
}

std::string batchErrorJson(std::int64_t line, std::string const& message, int status, std::string const& detail,
                           int column) {
    json doc = {{"line", line}, {"error", message}};
    if (!detail.empty()) doc["detail"] = detail;
    if (column > 0) doc["column"] = column;
    doc["status"] = status;
    return text(doc, -1) + "\n";
}

std::string errorJson(std::string const& message, int status) {
    return text(json{{"error", message}, {"status", status}}, 2) + "\n";
}

}  // namespace korvel
