# Writes OUT: a C++ source holding each of FILES (under DIR) as one string, and
# a function FUNCTION(name) in NAMESPACE that returns a file's text by its
# name (empty for any other), declared in HEADER. So a program carries its
# tables without files beside it.
# Called with -DOUT=<file> -DDIR=<folder> -DFILES=<a,b,c> -DHEADER=<include>
#   -DNAMESPACE=<ns> -DFUNCTION=<name>.
string(REPLACE "," ";" FILES "${FILES}")
file(RELATIVE_PATH from "${CMAKE_CURRENT_LIST_DIR}/.." "${DIR}")
set(body "// Generated from ${from} by embed_texts.cmake; do not edit.\n")
string(APPEND body "#include \"${HEADER}\"\n\nnamespace ${NAMESPACE} {\n\n")
set(cases "")
foreach(name IN LISTS FILES)
  file(READ "${DIR}/${name}" content)
  string(FIND "${content}" ")skyglass_text\"" clash)
  if(NOT clash EQUAL -1)
    message(FATAL_ERROR "${name} contains the raw string delimiter")
  endif()
  string(MAKE_C_IDENTIFIER "${name}" id)
  # Raw literals hold the text as it is; split into pieces well below any
  # compiler's limit on one literal.
  string(LENGTH "${content}" len)
  string(APPEND body "static constexpr char k_${id}[] =\n")
  set(pos 0)
  while(pos LESS len)
    string(SUBSTRING "${content}" ${pos} 8000 piece)
    string(APPEND body "    R\"skyglass_text(${piece})skyglass_text\"\n")
    math(EXPR pos "${pos} + 8000")
  endwhile()
  if(len EQUAL 0)
    string(APPEND body "    \"\"\n")
  endif()
  string(APPEND body ";\n\n")
  string(APPEND cases "  if (name == \"${name}\") return {k_${id}, sizeof(k_${id}) - 1};\n")
endforeach()
string(APPEND body "std::string_view ${FUNCTION}(std::string_view name) {\n${cases}  return {};\n}\n\n}  // namespace ${NAMESPACE}\n")
file(WRITE "${OUT}.tmp" "${body}")
file(COPY_FILE "${OUT}.tmp" "${OUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUT}.tmp")
