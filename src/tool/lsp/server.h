// The language server: takes the client's messages one at a time, answers
// requests, keeps the documents, and checks a changed pair once the author
// pauses (or at once, when a request needs the pair's rows).
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

#include "tool/lsp/checking.h"
#include "tool/lsp/documents.h"
#include "tool/lsp/framing.h"

namespace scenario::tool::lsp {

using Clock = std::chrono::steady_clock;

// The protocol's error codes.
namespace error_code {
inline constexpr int parse_error = -32700;
inline constexpr int invalid_request = -32600;
inline constexpr int method_not_found = -32601;
inline constexpr int invalid_params = -32602;
inline constexpr int internal_error = -32603;
inline constexpr int server_not_initialized = -32002;
}  // namespace error_code

// A request that cannot be answered, and why.
struct ProtocolError {
    int code = error_code::invalid_params;
    std::string message;
};

class Server {
public:
    // `send` writes one message body (the framing is the caller's).
    explicit Server(std::function<void(const std::string&)> send);

    // One framed message, or a frame whose header was wrong.
    void receive(const Frame& frame);
    // When the changed pairs are due to be checked; nothing when none is.
    std::optional<Clock::time_point> check_due() const { return due_; }
    // Checks every changed pair and publishes its diagnostics.
    void check_changed();

    bool exited() const { return exited_; }
    // The status to end with: 0 after shutdown and exit, 1 otherwise.
    int exit_status() const { return shutDown_ ? 0 : 1; }

    // How long after the last change the pair is checked.
    std::chrono::milliseconds debounce{15};
    // The page the diagnostics' codes link to.
    std::string reference;

private:
    struct PairState {
        Pair pair;
        std::unique_ptr<Checked> checked;
        bool changed = true;
    };
    using Handler = nlohmann::json (Server::*)(const nlohmann::json& params);

    void dispatch(const nlohmann::json& message);
    void respond(const nlohmann::json& id, nlohmann::json result);
    void respond_error(const nlohmann::json& id, int code, const std::string& message);
    void notify(const std::string& method, nlohmann::json params);

    nlohmann::json initialize(const nlohmann::json& params);
    nlohmann::json shutdown(const nlohmann::json& params);
    nlohmann::json did_open(const nlohmann::json& params);
    nlohmann::json did_change(const nlohmann::json& params);
    nlohmann::json did_close(const nlohmann::json& params);
    nlohmann::json initialized(const nlohmann::json& params);
    nlohmann::json did_change_watched_files(const nlohmann::json& params);
    nlohmann::json hover(const nlohmann::json& params);
    nlohmann::json completion(const nlohmann::json& params);
    nlohmann::json document_symbol(const nlohmann::json& params);
    nlohmann::json definition(const nlohmann::json& params);
    nlohmann::json references(const nlohmann::json& params);
    nlohmann::json code_action(const nlohmann::json& params);

    // The pair a document belongs to, noted as changed; nothing for a file
    // of another name.
    PairState* pair_of_document(const std::string& path);
    void changed(const std::string& path);
    // The document of a request's textDocument, checked and current.
    struct Current {
        Document* document;
        PairState* pair;
        Source source;
        Position at;
    };
    Current current(const nlohmann::json& params);
    void check(PairState& state);

    std::function<void(const std::string&)> send_;
    std::map<std::string, Handler> requests_;
    std::map<std::string, Handler> notifications_;
    Workspace workspace_;
    std::map<std::string, PairState> pairs_;  // by the line description's path
    std::optional<Clock::time_point> due_;
    bool initialized_ = false;
    bool mayWatch_ = false;  // the client takes a registration of file watchers
    bool shutDown_ = false;
    bool exited_ = false;
};

// Serves on the process's standard streams until exit, the end of input or
// a failed write; returns the status to end with. `reference` is the page
// the diagnostics' codes link to.
int serve_standard_streams(const std::string& reference);

}  // namespace scenario::tool::lsp
