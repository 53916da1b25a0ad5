#include "tool/lsp/server.h"

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "tool/base/os.h"
#include "tool/lsp/features.h"
#include "tool/lsp/publish.h"

namespace scenario::tool::lsp {

namespace {

Position position_from(const nlohmann::json& p) { return {p.at("line").get<int>(), p.at("character").get<int>()}; }

Range range_from(const nlohmann::json& r) { return {position_from(r.at("start")), position_from(r.at("end"))}; }

// Far deeper than any message of the protocol.
constexpr int deepest_message = 64;

bool valid_id(const nlohmann::json& id) { return id.is_number_integer() || id.is_string(); }

}  // namespace

Server::Server(std::function<void(const std::string&)> send) : send_(std::move(send)) {
    requests_ = {{"initialize", &Server::initialize},
                 {"shutdown", &Server::shutdown},
                 {"textDocument/hover", &Server::hover},
                 {"textDocument/completion", &Server::completion},
                 {"textDocument/documentSymbol", &Server::document_symbol},
                 {"textDocument/definition", &Server::definition},
                 {"textDocument/references", &Server::references},
                 {"textDocument/codeAction", &Server::code_action}};
    notifications_ = {{"initialized", &Server::initialized},
                      {"textDocument/didOpen", &Server::did_open},
                      {"textDocument/didChange", &Server::did_change},
                      {"textDocument/didClose", &Server::did_close},
                      {"workspace/didChangeWatchedFiles", &Server::did_change_watched_files}};
}

void Server::receive(const Frame& frame) {
    if (!frame.fault.empty()) {
        respond_error(nullptr, error_code::invalid_request, "malformed message header: " + frame.fault);
        return;
    }
    if (nested_deeper_than(frame.body, deepest_message)) {
        respond_error(nullptr, error_code::invalid_request,
                      "the message nests deeper than " + std::to_string(deepest_message) + " levels");
        return;
    }
    const nlohmann::json message = nlohmann::json::parse(frame.body, nullptr, false);
    if (message.is_discarded()) {
        respond_error(nullptr, error_code::parse_error, "the message is not JSON");
        return;
    }
    dispatch(message);
}

void Server::dispatch(const nlohmann::json& message) {
    const auto method = message.is_object() ? message.find("method") : message.end();
    const nlohmann::json id = message.is_object() ? message.value("id", nlohmann::json()) : nlohmann::json();
    if (!message.is_object() || method == message.end() || !method->is_string()) {
        // A response to a request of ours (the registration of watchers)
        // needs no answer; a client that refuses it only leaves partners
        // changed outside the editor unchecked until the next change.
        if (message.is_object() && (message.contains("result") || message.contains("error"))) return;
        respond_error(valid_id(id) ? id : nlohmann::json(), error_code::invalid_request, "not a request");
        return;
    }
    const std::string name = method->get<std::string>();
    const nlohmann::json params = message.value("params", nlohmann::json::object());
    if (!message.contains("id")) {
        if (name == "exit") exited_ = true;
        const auto handler = notifications_.find(name);
        // Notifications the server does not know are dropped, as are those
        // before initialize; a wrong one has no one to be told to.
        if (handler == notifications_.end() || !initialized_) return;
        try {
            (this->*handler->second)(params);
        } catch (const std::exception&) {
        }
        return;
    }
    if (!valid_id(id)) return respond_error(nullptr, error_code::invalid_request, "the id is not a number or a string");
    if (!initialized_ && name != "initialize") {
        return respond_error(id, error_code::server_not_initialized, "initialize comes first");
    }
    if (shutDown_) return respond_error(id, error_code::invalid_request, "the server has shut down");
    const auto handler = requests_.find(name);
    if (handler == requests_.end()) return respond_error(id, error_code::method_not_found, "unknown method " + name);
    try {
        respond(id, (this->*handler->second)(params));
    } catch (const ProtocolError& wrong) {
        respond_error(id, wrong.code, wrong.message);
    } catch (const nlohmann::json::exception& wrong) {
        respond_error(id, error_code::invalid_params, std::string("invalid params: ") + wrong.what());
    } catch (const std::exception& failure) {
        respond_error(id, error_code::internal_error, failure.what());
    }
}

void Server::respond(const nlohmann::json& id, nlohmann::json result) {
    const nlohmann::json message{{"jsonrpc", "2.0"}, {"id", id}, {"result", std::move(result)}};
    send_(message.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

void Server::respond_error(const nlohmann::json& id, int code, const std::string& text) {
    const nlohmann::json message{{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", text}}}};
    send_(message.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

void Server::notify(const std::string& method, nlohmann::json params) {
    const nlohmann::json message{{"jsonrpc", "2.0"}, {"method", method}, {"params", std::move(params)}};
    send_(message.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
}

nlohmann::json Server::initialize(const nlohmann::json& params) {
    if (initialized_) throw ProtocolError{error_code::invalid_request, "initialize was sent already"};
    initialized_ = true;
    const nlohmann::json capabilities = params.value("capabilities", nlohmann::json::object());
    const nlohmann::json::json_pointer dynamic("/workspace/didChangeWatchedFiles/dynamicRegistration");
    mayWatch_ = capabilities.is_object() && capabilities.contains(dynamic) && capabilities.at(dynamic) == true;
    const nlohmann::json options = params.value("initializationOptions", nlohmann::json::object());
    if (options.is_object()) {
        const auto wait = options.value("debounceMilliseconds", static_cast<int>(debounce.count()));
        if (wait >= 0 && wait <= 10000) debounce = std::chrono::milliseconds(wait);
        reference = options.value("diagnosticsReference", reference);
    }
    return {{"capabilities",
             {{"positionEncoding", "utf-16"},
              {"textDocumentSync", {{"openClose", true}, {"change", 2}}},
              {"hoverProvider", true},
              {"completionProvider", {{"triggerCharacters", {"["}}}},
              {"documentSymbolProvider", true},
              {"definitionProvider", true},
              {"referencesProvider", true},
              {"codeActionProvider", {{"codeActionKinds", {"quickfix"}}}}}},
            {"serverInfo", {{"name", "scenario-tool"}}}};
}

nlohmann::json Server::shutdown(const nlohmann::json&) {
    shutDown_ = true;
    return nullptr;
}

nlohmann::json Server::initialized(const nlohmann::json&) {
    if (!mayWatch_) return nullptr;
    // The partner of an open file may change on disk, written by another
    // program or a checkout: the client tells of every description's change
    // so the pair is checked again.
    const nlohmann::json watchers = {{{"globPattern", "**/*_linea.txt"}}, {{"globPattern", "**/*-.txt"}}};
    const nlohmann::json message{{"jsonrpc", "2.0"},
                                 {"id", "watch-descriptions"},
                                 {"method", "client/registerCapability"},
                                 {"params",
                                  {{"registrations",
                                    {{{"id", "descriptions"},
                                      {"method", "workspace/didChangeWatchedFiles"},
                                      {"registerOptions", {{"watchers", watchers}}}}}}}}};
    send_(message.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
    return nullptr;
}

nlohmann::json Server::did_change_watched_files(const nlohmann::json& params) {
    // Paths compare part by part, so either separator of Windows matches.
    std::set<std::filesystem::path> folders;
    for (const nlohmann::json& change : params.at("changes")) {
        const std::optional<std::string> path = path_of_uri(change.at("uri").get<std::string>());
        if (path) folders.insert(std::filesystem::path(*path).parent_path());
    }
    // Every pair in a folder where a file changed is paired anew (a train
    // made or removed may change the partner) and checked again; an open
    // file keeps the editor's text.
    std::vector<std::string> open;
    for (const auto& [line_path, state] : pairs_) {
        if (folders.count(std::filesystem::path(line_path).parent_path()) == 0) continue;
        const bool line_open = workspace_.open_at(state.pair.linePath) != nullptr;
        open.push_back(line_open ? state.pair.linePath : state.pair.trainPath);
    }
    for (const std::string& path : open) changed(path);
    return nullptr;
}

nlohmann::json Server::did_open(const nlohmann::json& params) {
    const nlohmann::json& d = params.at("textDocument");
    const std::string uri = d.at("uri").get<std::string>();
    workspace_.open(uri, d.at("text").get<std::string>(), d.value("version", 0));
    changed(path_of_uri(uri).value_or(uri));
    return nullptr;
}

nlohmann::json Server::did_change(const nlohmann::json& params) {
    const nlohmann::json& d = params.at("textDocument");
    const std::string uri = d.at("uri").get<std::string>();
    Document* document = workspace_.find_uri(uri);
    if (document == nullptr) return nullptr;
    for (const nlohmann::json& change : params.at("contentChanges")) {
        const auto range =
            change.contains("range") ? std::optional<Range>(range_from(change.at("range"))) : std::optional<Range>();
        document->change(range, change.at("text").get<std::string>(), d.value("version", document->version()));
    }
    changed(path_of_uri(uri).value_or(uri));
    return nullptr;
}

nlohmann::json Server::did_close(const nlohmann::json& params) {
    const std::string uri = params.at("textDocument").at("uri").get<std::string>();
    const std::string path = path_of_uri(uri).value_or(uri);
    workspace_.close(uri);
    PairState* state = pair_of_document(path);
    if (state == nullptr) return nullptr;
    if (workspace_.open_at(state->pair.linePath) == nullptr && workspace_.open_at(state->pair.trainPath) == nullptr) {
        // Nothing of the pair is open: its diagnostics go with it.
        for (const std::string& p : {state->pair.linePath, state->pair.trainPath}) {
            notify("textDocument/publishDiagnostics",
                   {{"uri", p == path ? uri : uri_of_path(p)}, {"diagnostics", nlohmann::json::array()}});
        }
        const std::string key = state->pair.linePath;
        pairs_.erase(key);
        return nullptr;
    }
    changed(path);
    return nullptr;
}

Server::PairState* Server::pair_of_document(const std::string& path) {
    const std::string folder = std::filesystem::path(path).parent_path().string();
    const std::optional<Pair> pair = pair_of(path, os::entry_names(folder), workspace_.open_names(folder));
    if (!pair) return nullptr;
    PairState& state = pairs_[pair->linePath];
    state.pair = *pair;
    return &state;
}

void Server::changed(const std::string& path) {
    PairState* state = pair_of_document(path);
    if (state == nullptr) return;
    state->changed = true;
    due_ = Clock::now() + debounce;
}

void Server::check(PairState& state) {
    state.checked = check_pair(workspace_, state.pair);
    state.changed = false;
    for (Published& p : published_diagnostics(*state.checked, workspace_, reference)) {
        notify("textDocument/publishDiagnostics", {{"uri", p.uri}, {"diagnostics", std::move(p.diagnostics)}});
    }
}

void Server::check_changed() {
    due_.reset();
    for (auto& [path, state] : pairs_) {
        if (state.changed) check(state);
    }
}

Server::Current Server::current(const nlohmann::json& params) {
    const std::string uri = params.at("textDocument").at("uri").get<std::string>();
    Document* document = workspace_.find_uri(uri);
    if (document == nullptr) throw ProtocolError{error_code::invalid_params, "the document " + uri + " is not open"};
    const std::string path = path_of_uri(uri).value_or(uri);
    const Role role = role_of(std::filesystem::path(path).filename().string());
    PairState* state = pair_of_document(path);
    if (state != nullptr && (state->changed || !state->checked)) check(*state);
    const Position at = params.contains("position") ? position_from(params.at("position")) : Position{};
    return {document, state, source_of(role), at};
}

nlohmann::json Server::hover(const nlohmann::json& params) {
    const Current c = current(params);
    if (c.pair == nullptr) return nullptr;
    return lsp::hover({*c.pair->checked, workspace_, c.source, *c.document, c.at});
}

nlohmann::json Server::completion(const nlohmann::json& params) {
    const std::string uri = params.at("textDocument").at("uri").get<std::string>();
    const Document* document = workspace_.find_uri(uri);
    if (document == nullptr) throw ProtocolError{error_code::invalid_params, "the document " + uri + " is not open"};
    const Role role = role_of(std::filesystem::path(path_of_uri(uri).value_or(uri)).filename().string());
    return lsp::completion(*document, role, position_from(params.at("position")));
}

nlohmann::json Server::document_symbol(const nlohmann::json& params) {
    const Current c = current(params);
    if (c.pair == nullptr) return nlohmann::json::array();
    return document_symbols(*c.pair->checked, c.source, *c.document);
}

nlohmann::json Server::definition(const nlohmann::json& params) {
    const Current c = current(params);
    if (c.pair == nullptr) return nlohmann::json::array();
    return lsp::definition({*c.pair->checked, workspace_, c.source, *c.document, c.at});
}

nlohmann::json Server::references(const nlohmann::json& params) {
    const Current c = current(params);
    if (c.pair == nullptr) return nlohmann::json::array();
    return lsp::references({*c.pair->checked, workspace_, c.source, *c.document, c.at});
}

nlohmann::json Server::code_action(const nlohmann::json& params) {
    const Current c = current(params);
    if (c.pair == nullptr) return nlohmann::json::array();
    return code_actions({*c.pair->checked, workspace_, c.source, *c.document, {}}, range_from(params.at("range")));
}

}  // namespace scenario::tool::lsp
