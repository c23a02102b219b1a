# Turns the moon tables and pictures into byte arrays of one C++ source file.
#   cmake -DSOURCE_DIR=... -DOUTPUT=... -DPICTURES="a;b;..." -P embed.cmake
cmake_minimum_required(VERSION 3.25)

set(hex32 "")
foreach(i RANGE 1 32)
  string(APPEND hex32 "[0-9a-f]")
endforeach()

# Appends "constexpr unsigned char <symbol>[] = {...};" for the bytes of a file.
function(append_array symbol path)
  file(READ "${path}" hex HEX)
  string(LENGTH "${hex}" n)
  if(n EQUAL 0)
    message(FATAL_ERROR "${path} is empty")
  endif()
  string(REGEX REPLACE "(${hex32})" "\\1\n    " hex "${hex}")
  string(REGEX REPLACE "([0-9a-f][0-9a-f])" "0x\\1," hex "${hex}")
  string(APPEND code "constexpr unsigned char ${symbol}[] = {\n    ${hex}\n};\n\n")
  set(code "${code}" PARENT_SCOPE)
endfunction()

set(code "// Generated from src/data/moon by embed.cmake; do not edit.\n")
string(APPEND code "#include \"data/moon/moon_data.h\"\n\nnamespace sky::moon_data {\n\nnamespace {\n\n")
append_array(kTables "${SOURCE_DIR}/tables.txt")
set(entries "")
foreach(name ${PICTURES})
  append_array(k${name} "${SOURCE_DIR}/${name}.gif")
  string(APPEND entries "    {\"${name}\", k${name}},\n")
endforeach()
string(APPEND code "struct Entry {\n  std::string_view name;\n  std::span<const unsigned char> bytes;\n};\n\n")
string(APPEND code "constexpr Entry kPictures[] = {\n${entries}};\n\n}  // namespace\n\n")
string(APPEND code [=[
std::string_view TablesText() {
  return {reinterpret_cast<const char*>(kTables), sizeof kTables};
}

std::span<const unsigned char> Picture(std::string_view name) {
  for (const Entry& e : kPictures)
    if (e.name == name) return e.bytes;
  return {};
}

std::vector<std::string_view> PictureNames() {
  std::vector<std::string_view> names;
  for (const Entry& e : kPictures) names.push_back(e.name);
  return names;
}

}  // namespace sky::moon_data
]=])

# Only touch the output when it changes, so a rebuild of the tools does not
# recompile the core.
if(EXISTS "${OUTPUT}")
  file(READ "${OUTPUT}" old)
  if(old STREQUAL code)
    return()
  endif()
endif()
file(WRITE "${OUTPUT}" "${code}")
