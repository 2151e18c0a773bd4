// ftp_client — an interactive FTP client: asks for a server (control port 21), logs in with a
// typed user name and password, then runs a numbered menu of directory and file actions until the
// user chooses to disconnect. Every reply is shown as the server's code followed by its message.
//
// Exit status 0 after a disconnect, 1 when connecting or logging in fails.
//
// When standard input ends: before logging in, the program ends with status 1, as a login that
// cannot happen; in the menu (at "Your choice: " or at any of an action's prompts) it acts as if
// 0 had been chosen: it disconnects, shows the reply and "Press enter to exit...", and returns 0
// without waiting. An action whose arguments were not all given is not run.

#include <mivra/Network/Ftp.hpp>
#include <mivra/Network/IpAddress.hpp>

#include <filesystem>
#include <iostream>
#include <optional>
#include <string>
#include <string_view>

std::ostream& operator<<(std::ostream& stream, const mivra::Ftp::Response& response)
{
    return stream << response.getStatus() << response.getMessage();
}

namespace
{
// Prints a prompt and reads one word; empty when the input has ended.
std::optional<std::string> ask(const char* prompt)
{
    std::string word;
    std::cout << prompt;
    if (!(std::cin >> word))
        return std::nullopt;
    return word;
}
} // namespace

int main()
{
    // Set-up: connect and log in
    std::optional<mivra::IpAddress> address;
    do
    {
        std::cout << "Enter the FTP server address: ";
        std::cin >> address;
    } while (!address && std::cin);
    if (!address)
    {
        std::cout << std::endl;
        return 1;
    }

    mivra::Ftp server;
    const mivra::Ftp::Response connectResponse = server.connect(*address, 21, mivra::Time::Zero);
    std::cout << connectResponse << std::endl;
    if (!connectResponse.isOk())
        return 1;

    const std::optional<std::string> user = ask("User name: ");
    const std::optional<std::string> password = user ? ask("Password: ") : std::nullopt;
    if (!password)
    {
        std::cout << std::endl;
        return 1;
    }
    const mivra::Ftp::Response loginResponse = server.login(*user, *password);
    std::cout << loginResponse << std::endl;
    if (!loginResponse.isOk())
        return 1;

    // Loop: menu, choice, action
    int choice = 0;
    do
    {
        std::cout << std::endl
                  << "Choose an action:\n"
                  << "1. Print working directory\n"
                  << "2. Print contents of working directory\n"
                  << "3. Change directory\n"
                  << "4. Create directory\n"
                  << "5. Delete directory\n"
                  << "6. Rename file\n"
                  << "7. Remove file\n"
                  << "8. Download file\n"
                  << "9. Upload file\n"
                  << "0. Disconnect\n"
                  << std::endl;

        std::cout << "Your choice: ";
        std::cin >> choice;
        std::cout << std::endl;
        // The input has ended: nothing more will come, so leave as with 0.
        if (!std::cin && std::cin.eof())
            choice = 0;

        if (static_cast<unsigned int>(choice) > 9)
        {
            std::cout << "Invalid choice!" << std::endl;
            std::cin.clear();
            std::cin.ignore(10000, '\n');
            continue;
        }

        switch (choice)
        {
        case 1: {
            const mivra::Ftp::DirectoryResponse response = server.getWorkingDirectory();
            std::cout << response << '\n' << "Current directory is " << response.getDirectory() << std::endl;
            break;
        }
        case 2: {
            const mivra::Ftp::ListingResponse response = server.getDirectoryListing("");
            std::cout << response << '\n';
            for (const std::string_view name : response.getListing())
                std::cout << name << '\n';
            std::cout << std::flush;
            break;
        }
        case 3: {
            const auto directory = ask("Choose a directory: ");
            if (!directory)
                break;
            std::cout << server.changeDirectory(*directory) << std::endl;
            break;
        }
        case 4: {
            const auto directory = ask("Name of the directory to create: ");
            if (!directory)
                break;
            std::cout << server.createDirectory(*directory) << std::endl;
            break;
        }
        case 5: {
            const auto directory = ask("Name of the directory to remove: ");
            if (!directory)
                break;
            std::cout << server.deleteDirectory(*directory) << std::endl;
            break;
        }
        case 6: {
            const auto file = ask("Name of the file to rename: ");
            const auto newName = file ? ask("New name: ") : std::nullopt;
            if (!newName)
                break;
            std::cout << server.renameFile(std::filesystem::path(*file), std::filesystem::path(*newName)) << std::endl;
            break;
        }
        case 7: {
            const auto file = ask("Name of the file to remove: ");
            if (!file)
                break;
            std::cout << server.deleteFile(std::filesystem::path(*file)) << std::endl;
            break;
        }
        case 8: {
            const auto file = ask("Filename of the file to download (relative to current directory): ");
            const auto directory = file ? ask("Directory to download the file to: ") : std::nullopt;
            if (!directory)
                break;
            std::cout << server.download(std::filesystem::path(*file), std::filesystem::path(*directory),
                                         mivra::Ftp::TransferMode::Binary)
                      << std::endl;
            break;
        }
        case 9: {
            const auto file = ask("Path of the file to upload (absolute or relative to working directory): ");
            const auto directory = file ? ask("Directory to upload the file to (relative to current directory): ")
                                        : std::nullopt;
            if (!directory)
                break;
            std::cout << server.upload(std::filesystem::path(*file), std::filesystem::path(*directory),
                                       mivra::Ftp::TransferMode::Binary, false)
                      << std::endl;
            break;
        }
        default: break;
        }

        // An action's prompt met the end of the input: finish the prompt's line and leave.
        if (!std::cin && std::cin.eof() && choice != 0)
        {
            std::cout << std::endl;
            choice = 0;
        }
    } while (choice != 0);

    // Clean-up
    std::cout << "Disconnecting from server...\n";
    std::cout << server.disconnect() << '\n';
    std::cout << "Press enter to exit..." << std::endl;
    std::cin.ignore(10000, '\n');
    std::cin.ignore(10000, '\n');
    return 0;
}
