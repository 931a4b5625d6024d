# Settings of the Windows builds.

# One self-contained executable each: the C and C++ runtimes and the thread
# library are linked in, so the programs need no DLL beyond the system's.
add_link_options(-static -static-libgcc -static-libstdc++)
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0501)

# nlohmann-json is a header-only library of the host's Debian packages. The
# cross build must not see the host's include folder, so it gets a folder of
# its own that holds just that library's headers.
find_path(UPDATER_HOST_NLOHMANN_JSON nlohmann/json.hpp PATHS /usr/include NO_CMAKE_FIND_ROOT_PATH REQUIRED)
set(host_headers ${CMAKE_BINARY_DIR}/host_headers)
file(MAKE_DIRECTORY ${host_headers})
file(CREATE_LINK ${UPDATER_HOST_NLOHMANN_JSON}/nlohmann ${host_headers}/nlohmann SYMBOLIC)
add_library(nlohmann_json_host INTERFACE)
target_include_directories(nlohmann_json_host SYSTEM INTERFACE ${host_headers})
add_library(nlohmann_json::nlohmann_json ALIAS nlohmann_json_host)

# GCC 12 at -O3 reports a false overlap in std::string's inlined copies
# (GCC bug 105329); -O2 does not, and the programs lose nothing by it.
set(CMAKE_CXX_FLAGS_RELEASE "-O2 -DNDEBUG" CACHE STRING "" FORCE)
