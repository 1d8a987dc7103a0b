#include "apps/options/security_options.h"

namespace zrmopt {

void DeclareSecurityOptions(CLI::App& app, SecurityOptions& options) {
    app.add_option("--tls-cert", options.tlsCert, "serve HTTPS with this certificate (PEM), with --tls-key");
    app.add_option("--tls-key", options.tlsKey, "the private key (PEM) of --tls-cert");
    app.add_flag(
        "--insecure", options.insecure,
        "allow listening off loopback without TLS (passwords and tokens cross the network in clear)");
}

void DeclareUserCommands(CLI::App& app, UserOptions& options) {
    CLI::App* user =
        app.add_subcommand("user", "manage the accounts (the password is read from standard input)");
    user->fallthrough();
    user->require_subcommand(1);

    CLI::App* add = user->add_subcommand("add", "add a user; the password is one line of standard input");
    add->fallthrough();
    add->add_option("NAME", options.name, "the user's name (1 to 20 characters)")->required();
    add->add_option("--branch", options.branch, "the branch the user works in")->required();
    add->add_option("--name", options.fullName, "the user's full name");
    add->add_flag("--no-generate", options.noGenerate, "the user may not generate remittances");
    add->callback([&options] { options.verb = UserVerb::Add; });

    CLI::App* passwd = user->add_subcommand("passwd", "change a password, read from standard input");
    passwd->fallthrough();
    passwd->add_option("NAME", options.name, "the user's name")->required();
    passwd->callback([&options] { options.verb = UserVerb::Passwd; });

    CLI::App* disable = user->add_subcommand("disable", "stop a user from logging in");
    disable->fallthrough();
    disable->add_option("NAME", options.name, "the user's name")->required();
    disable->callback([&options] { options.verb = UserVerb::Disable; });

    CLI::App* list = user->add_subcommand("list", "list the users");
    list->fallthrough();
    list->callback([&options] { options.verb = UserVerb::List; });
}

}  // namespace zrmopt
