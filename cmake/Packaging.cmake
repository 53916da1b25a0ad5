# The tool as authors install it, with `cmake --install` or from the archive
# cpack makes: scenario-tool-VERSION-linux-x86_64.tar.gz from a Linux build,
# scenario-tool-VERSION-windows-x86_64.zip from the Windows one (`cpack
# --preset release`, `cpack --preset windows`). Each holds the tool; the
# runner it packages programs with, beside it, where `package` looks first;
# the runner of the other system when one is given (COMPACTOR_PACKAGE_RUNNER),
# so that the tool packages for both; the diagnostics reference, the glossary
# and the authors' README. On Windows everything lies in one folder, as
# Windows programs are copied; elsewhere in bin/ and share/doc/.
if(NOT TARGET scenario_tool)
    return()
endif()

if(WIN32)
    set(tool_bindir .)
    set(tool_docdir docs)
    set(tool_readme_dir .)
    set(package_system windows)
    set(other_runner_name scenario-runner)
    set(CPACK_GENERATOR ZIP)
else()
    set(tool_bindir ${CMAKE_INSTALL_BINDIR})
    set(tool_docdir ${CMAKE_INSTALL_DOCDIR})
    set(tool_readme_dir ${CMAKE_INSTALL_DOCDIR})
    set(package_system linux)
    set(other_runner_name scenario-runner.exe)
    set(CPACK_GENERATOR TGZ)
endif()

install(TARGETS scenario_tool RUNTIME DESTINATION ${tool_bindir} COMPONENT tool)
if(TARGET scenario_runner)
    install(TARGETS scenario_runner RUNTIME DESTINATION ${tool_bindir} COMPONENT tool)
endif()
set(COMPACTOR_PACKAGE_RUNNER "" CACHE FILEPATH
    "The runner built for the other system (build/windows/scenario-runner.exe for a Linux build, a Linux build's scenario-runner for the Windows one), installed beside the tool so that it packages for both")
if(COMPACTOR_PACKAGE_RUNNER)
    install(PROGRAMS "${COMPACTOR_PACKAGE_RUNNER}" DESTINATION ${tool_bindir} RENAME ${other_runner_name}
        COMPONENT tool)
endif()

install(FILES docs/diagnostics.md DESTINATION ${tool_docdir} COMPONENT tool)
# The glossary is installed by name, so an archive never lacks it without a
# word: a checkout that does not hold it yet gets a page saying so. A file
# added to docs/ configures the build again.
set(glossary "${CMAKE_SOURCE_DIR}/docs/glossary.md")
set_property(DIRECTORY "${CMAKE_SOURCE_DIR}" APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${CMAKE_SOURCE_DIR}/docs")
if(NOT EXISTS "${glossary}")
    set(glossary "${CMAKE_BINARY_DIR}/docs/glossary.md")
    file(WRITE "${glossary}" "# Glossary\n\nThis build was made from a checkout without docs/glossary.md.\n")
endif()
install(FILES "${glossary}" DESTINATION ${tool_docdir} COMPONENT tool)
install(FILES docs/authors/README.md DESTINATION ${tool_readme_dir} COMPONENT tool)

set(CPACK_PACKAGE_NAME scenario-tool)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(tool_archive_name "scenario-tool-${PROJECT_VERSION}-${package_system}-${CMAKE_SYSTEM_PROCESSOR}")
set(CPACK_PACKAGE_FILE_NAME "${tool_archive_name}")
set(CPACK_PACKAGE_DIRECTORY "${CMAKE_BINARY_DIR}/packages")
# The tool's component only: the built-in program is not an author's tool.
set(CPACK_ARCHIVE_COMPONENT_INSTALL ON)
set(CPACK_COMPONENTS_ALL tool)
set(CPACK_COMPONENTS_GROUPING ALL_COMPONENTS_IN_ONE)
# One folder named after the archive holds everything.
set(CPACK_COMPONENT_INCLUDE_TOPLEVEL_DIRECTORY ON)
set(CPACK_STRIP_FILES ON)
include(CPack)

# The archive's contents, checked by making it (tests/packaging).
if(COMPACTOR_BUILD_TESTS AND NOT CMAKE_CROSSCOMPILING)
    add_test(NAME tool_archive
        COMMAND "${CMAKE_SOURCE_DIR}/tests/packaging/check_archive.sh" "${CMAKE_BINARY_DIR}" ${package_system}
                "${tool_archive_name}" "$<IF:$<TARGET_EXISTS:scenario_runner>,with-runner,no-runner>")
endif()
