# embed_text(<output.cpp> <symbol> <text file>)
# Compiles a text file into the program as a raw string literal, unchanged
# byte for byte (trailing spaces, "@", "${", backslashes and quotes included:
# nothing in the text is substituted). The build configures again when the
# text file changes.
function(embed_text output symbol text_file)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${text_file}")
    file(READ "${text_file}" content)
    string(FIND "${content}" ")__text__\"" clash)
    if(NOT clash EQUAL -1)
        message(FATAL_ERROR "${text_file} holds the embedding delimiter")
    endif()
    set(source "// Generated from ${text_file}; edit that file instead.\n")
    string(APPEND source "#include \"description/embedded_text.h\"\n\n")
    string(APPEND source "namespace scenario::embedded_text {\n")
    string(APPEND source "extern const std::string_view ${symbol};\n")
    string(APPEND source "const std::string_view ${symbol} = R\"__text__(${content})__text__\";\n")
    string(APPEND source "}  // namespace scenario::embedded_text\n")
    write_if_changed("${output}" "${source}")
endfunction()

# Writes the file only when its content changes, so that what depends on it
# is not rebuilt needlessly. The content is written as it is.
function(write_if_changed path content)
    set(existing "")
    if(EXISTS "${path}")
        file(READ "${path}" existing)
    endif()
    if(NOT existing STREQUAL content)
        file(WRITE "${path}" "${content}")
    endif()
endfunction()
