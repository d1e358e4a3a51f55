# RapidJSON, header-only, from the system's package. The cross build cannot take the host's /usr/include as a whole
# (its C headers clash with MinGW's), so both builds get a folder of their own that holds only the library.
find_path(VELMORA_RAPIDJSON_ROOT rapidjson/document.h PATHS /usr/include /usr/local/include NO_CMAKE_FIND_ROOT_PATH
          NO_DEFAULT_PATH REQUIRED)
set(velmora_rapidjson_dir ${CMAKE_BINARY_DIR}/rapidjson-include)
file(MAKE_DIRECTORY ${velmora_rapidjson_dir})
file(CREATE_LINK ${VELMORA_RAPIDJSON_ROOT}/rapidjson ${velmora_rapidjson_dir}/rapidjson SYMBOLIC)
add_library(velmora_rapidjson INTERFACE)
target_include_directories(velmora_rapidjson SYSTEM INTERFACE ${velmora_rapidjson_dir})
