#pragma once

#include <QString>
#include <QStringView>

#include <optional>

namespace dom {

// Special URLs (http, file, ...) hold domains and IP addresses; the others an opaque host.
enum class HostSyntax : quint8 { Domain, Opaque };

// The host parser of the URL standard: the host serialised (a lower-case ASCII domain,
// "192.168.0.1", "[::1]", or an opaque host percent-encoded), nullopt when it is not a valid host.
[[nodiscard]] std::optional<QString> parseHost(QStringView input, HostSyntax syntax);

} // namespace dom
