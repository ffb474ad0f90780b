// The peer installer's file list, from the product manifest: the payload
// into the installation folder, the device files into its devices folder,
// as NSIS File commands over the payload folder.
//
//   peer_files PAYLOAD_DIR OUT_FILE
#include "engine/product_manifest.h"

#include <fstream>
#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::cerr << "usage: peer_files PAYLOAD_DIR OUT_FILE\n";
        return 2;
    }
    const std::string payload = argv[1];
    std::ofstream out(argv[2]);
    out << "SetOutPath \"$INSTDIR\"\n";
    for (const auto& row : ProductManifest::PayloadTable)
        out << "File \"" << payload << "/" << row.FileName << "\"\n";
    out << "SetOutPath \"$INSTDIR\\" << ProductManifest::DataFolderTable[0] << "\"\n";
    for (const auto& row : ProductManifest::DeviceTable)
        out << "File \"" << payload << "/" << row.FileName << "\"\n";
    return out ? 0 : 1;
}
