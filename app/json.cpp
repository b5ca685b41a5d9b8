// The JSON documents, written with nlohmann::json. Numbers of any size travel
// as decimal texts; figures and counts as JSON numbers.
#include "app/json.h"

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
    json coefficients = json::array();
    for (auto const& c : result.coefficients) coefficients.push_back(complexJson(c, result.options.carriedFigures));
    json roots = json::array();
    for (auto const& r : result.roots) {
        json root = complexJson(r.root, shown);
        root["value"] = complexJson(r.value, shown);
        root["radius"] = r.radius ? json(toString(*r.radius, 3)) : json(nullptr);
        root["certainFigures"] = r.certainFigures;
        root["cluster"] = known(r.cluster, 0);
        root["multiplicity"] = r.multiplicity;
        roots.push_back(root);
    }
    std::string const& warning = result.warning;
    doc["input"] = {{"degree", result.degree()}, {"coefficients", coefficients}};
    doc["settings"] = {{"shown", shown},
                       {"carried", result.options.carriedFigures},
                       {"carriedUsed", result.carriedUsed},
                       {"search", result.options.search == RootSearch::fullPrecision ? "fullPrecision" : "staged"},
                       {"cleanup", result.options.cleanUp},
                       {"certify", result.options.certify},
                       {"path", result.exactFactors ? "square-free factors" : "whole polynomial"}};
    doc["roots"] = roots;
    doc["warning"] = warning.empty() ? json(nullptr) : json(warning);
    doc["seconds"] = result.seconds;
    return doc;
}

}  // namespace

std::string resultJson(SearchResult const& result) { return resultDocument(result, json::object()).dump(2) + "\n"; }

std::string batchResultJson(std::int64_t line, SearchResult const& result) {
    return resultDocument(result, json{{"line", line}}).dump() + "\n";
}

std::string batchErrorJson(std::int64_t line, std::string const& message, int status, std::string const& detail,
                           int column) {
    json doc = {{"line", line}, {"error", message}};
    if (!detail.empty()) doc["detail"] = detail;
    if (column > 0) doc["column"] = column;
    doc["status"] = status;
    return doc.dump() + "\n";
}

std::string errorJson(std::string const& message, int status) {
    return json{{"error", message}, {"status", status}}.dump(2) + "\n";
}

}  // namespace korvel
