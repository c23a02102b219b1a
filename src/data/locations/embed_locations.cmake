# Writes OUT: a C++ source holding each location data file as one string
# literal, so the program carries its catalogue without files beside it.
# Called with -DOUT=<file> -DDIR=<folder of the data> -DFILES=<a,b,c>.
string(REPLACE "," ";" FILES "${FILES}")
set(body "// Generated from src/data/locations by embed_locations.cmake; do not edit.\n")
string(APPEND body "#include \"data/locations/location_data.h\"\n\nnamespace sky::data {\n\n")
set(cases "")
foreach(name IN LISTS FILES)
  file(READ "${DIR}/${name}" content)
  string(MAKE_C_IDENTIFIER "${name}" id)
  # Raw literals hold the text as it is; split into pieces well below any
  # compiler's limit on one literal.
  string(LENGTH "${content}" len)
  string(APPEND body "static constexpr char k_${id}[] =\n")
  set(pos 0)
  while(pos LESS len)
    string(SUBSTRING "${content}" ${pos} 8000 piece)
    string(APPEND body "    R\"skyglass_data(${piece})skyglass_data\"\n")
    math(EXPR pos "${pos} + 8000")
  endwhile()
  if(len EQUAL 0)
    string(APPEND body "    \"\"\n")
  endif()
  string(APPEND body ";\n\n")
  string(APPEND cases "  if (name == \"${name}\") return {k_${id}, sizeof(k_${id}) - 1};\n")
endforeach()
string(APPEND body "std::string_view LocationDataFile(std::string_view name) {\n${cases}  return {};\n}\n\n}  // namespace sky::data\n")
file(WRITE "${OUT}.tmp" "${body}")
file(COPY_FILE "${OUT}.tmp" "${OUT}" ONLY_IF_DIFFERENT)
