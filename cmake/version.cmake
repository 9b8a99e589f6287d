# Writes brisol_version.h on every build, and touches it only when its text
# changes: the commit moves and a tree becomes dirty without CMake running
# again. A checkout asks git; a source archive has no .git (or lies inside
# someone else's checkout), so it reads the commit that `git archive` wrote
# into cmake/source-commit.
# cmake -DSOURCE_DIR=... -DPROJECT_VERSION=... -DOUTPUT=... -P version.cmake
set(BRISOL_COMMIT unknown)
set(abbreviation 12)
file(REAL_PATH ${SOURCE_DIR} source_dir)
find_program(git git)
if(git)
    execute_process(COMMAND ${git} -C ${source_dir} rev-parse --show-toplevel
                    OUTPUT_VARIABLE top OUTPUT_STRIP_TRAILING_WHITESPACE
                    RESULT_VARIABLE failed ERROR_QUIET)
endif()
if(git AND NOT failed)
    file(REAL_PATH ${top} top)
endif()
if(git AND NOT failed AND top STREQUAL source_dir)
    execute_process(COMMAND ${git} -C ${source_dir} rev-parse --short=${abbreviation} HEAD
                    OUTPUT_VARIABLE BRISOL_COMMIT OUTPUT_STRIP_TRAILING_WHITESPACE ERROR_QUIET)
    execute_process(COMMAND ${git} -C ${source_dir} status --porcelain --untracked-files=no
                    OUTPUT_VARIABLE changes ERROR_QUIET)
    if(changes)
        string(APPEND BRISOL_COMMIT "-dirty")
    endif()
else()
    file(STRINGS ${source_dir}/cmake/source-commit archived LIMIT_COUNT 1)
    if(archived MATCHES "^[0-9a-f]+$")
        string(SUBSTRING ${archived} 0 ${abbreviation} BRISOL_COMMIT)
    endif()
endif()
configure_file(${source_dir}/cmake/version.h.in ${OUTPUT} @ONLY)
