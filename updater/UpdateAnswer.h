#pragma once
#include <windows.h>
#include <string>

// The update server's answer, a small XML document:
//
//   <keldrixupdate>
//     <kind>program</kind>            program | whitelist
//     <version>16001</version>        the latest version, a decimal number
//     <url>http://host/file</url>     where the file is (http or https)
//     <sha256>64 hex digits</sha256>  or <md5>32 hex digits</md5>
//   </keldrixupdate>
//
// The elements stand in this order; texts may use the XML entities and blanks
// around them are ignored.
class UpdateAnswer {
public:
    enum Kind { kProgram, kWhitelist };

    // FALSE, with the answer unchanged, when the document is not a complete, valid answer.
    BOOL Parse(const std::string& document);

    Kind m_kind = kProgram;
    double m_version = 0.0;
    std::string m_url;
    std::string m_digest;  // lower-case hex
    BOOL m_sha256 = TRUE;  // else MD5
};
