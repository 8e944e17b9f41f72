#include "HttpFetch.h"
#include "CHandle.h"
#include "CInternetHandle.h"
#include <vector>

namespace {

const char kAgent[] = "Keldrix AutoUpdate";

// The sent GET request of an http:// or https:// address, or an invalid handle.
// The session and connection handles stay with the caller.
CInternetHandle SendGet(const std::string& url, CInternetHandle& session, CInternetHandle& connection)
{
    char host[256] = {}, path[2048] = {}, extra[2048] = {};
    URL_COMPONENTSA parts = {};
    parts.dwStructSize = sizeof parts;
    parts.lpszHostName = host;
    parts.dwHostNameLength = sizeof host;
    parts.lpszUrlPath = path;
    parts.dwUrlPathLength = sizeof path;
    parts.lpszExtraInfo = extra;
    parts.dwExtraInfoLength = sizeof extra;
    if (url.size() >= sizeof path || !InternetCrackUrlA(url.c_str(), 0, 0, &parts) ||
        (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) || !host[0])
        return CInternetHandle();

    session = CInternetHandle(InternetOpenA(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!session.IsValid())
        return CInternetHandle();
    session.SetTimeouts(kHttpTimeoutMs);
    DWORD retries = 1;
    InternetSetOptionA(session, INTERNET_OPTION_CONNECT_RETRIES, &retries, sizeof retries);
    connection = CInternetHandle(
        InternetConnectA(session, host, parts.nPort, nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0));
    if (!connection.IsValid())
        return CInternetHandle();
    connection.SetTimeouts(kHttpTimeoutMs);

    std::string object = std::string(path[0] ? path : "/") + extra;
    DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_UI |
                  INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_PRAGMA_NOCACHE;
    if (parts.nScheme == INTERNET_SCHEME_HTTPS)
        flags |= INTERNET_FLAG_SECURE;
    CInternetHandle request(
        HttpOpenRequestA(connection, "GET", object.c_str(), nullptr, nullptr, nullptr, flags, 0));
    if (!request.IsValid())
        return request;
    request.SetTimeouts(kHttpTimeoutMs);
    if (!HttpSendRequestA(request, nullptr, 0, nullptr, 0))
        request.Close();
    return request;
}

// Runs the GET and hands each block of the body to sink; checks the status
// code, the size bound and the announced length.
BOOL Fetch(const std::string& url, DWORD maxBytes, const CancelTest& cancelled,
           const std::function<BOOL(const char*, DWORD)>& sink)
{
    if (cancelled())
        return FALSE;
    CInternetHandle session, connection;
    CInternetHandle request = SendGet(url, session, connection);
    if (!request.IsValid())
        return FALSE;

    DWORD status = 0;
    DWORD size = sizeof status;
    if (!HttpQueryInfoA(request, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size, nullptr) ||
        status != 200)
        return FALSE;
    DWORD announced = 0;
    size = sizeof announced;
    BOOL hasLength =
        HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &announced, &size, nullptr);
    if (hasLength && announced > maxBytes)
        return FALSE;

    std::vector<char> block(16384);
    DWORD total = 0;
    for (;;) {
        if (cancelled())
            return FALSE;
        DWORD read = 0;
        if (!InternetReadFile(request, block.data(), static_cast<DWORD>(block.size()), &read))
            return FALSE;
        if (read == 0)
            break;
        if (read > maxBytes - total)
            return FALSE;
        total += read;
        if (!sink(block.data(), read))
            return FALSE;
    }
    return !hasLength || total == announced;
}

}  // namespace

BOOL FetchToText(const std::string& url, DWORD maxBytes, const CancelTest& cancelled, std::string& text)
{
    text.clear();
    return Fetch(url, maxBytes, cancelled, [&text](const char* data, DWORD length) {
        text.append(data, length);
        return TRUE;
    });
}

BOOL FetchToFile(const std::string& url, const std::string& path, DWORD maxBytes, const CancelTest& cancelled)
{
    BOOL fetched;
    {
        CHandle file(CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                 nullptr));
        if (!file.IsValid())
            return FALSE;
        fetched = Fetch(url, maxBytes, cancelled, [&file](const char* data, DWORD length) {
            DWORD written = 0;
            return WriteFile(file, data, length, &written, nullptr) && written == length;
        });
        fetched = fetched && FlushFileBuffers(file);
    }
    if (!fetched)
        DeleteFileA(path.c_str());
    return fetched;
}
