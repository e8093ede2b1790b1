# The prebuilt programs the authoring kit makes every disc from (the
# launcher without resources, the waiter, the stand-in installer and the
# walk-through's driver program), named in <build>/disc-kit/programs.txt,
# one key=path a line: scripts/make-disc --programs reads it, and
# scripts/package puts the same programs into the kit's package.
set(DISC_KIT_STANDIN "")
set(DISC_KIT_STANDIN_TARGET "")
if(TARGET standin_installer)
    set(DISC_KIT_STANDIN "$<TARGET_FILE:standin_installer>")
    set(DISC_KIT_STANDIN_TARGET standin_installer)
endif()
set(DISC_KIT_WALKTHROUGH "")
if(TARGET disc_walkthrough)
    set(DISC_KIT_WALKTHROUGH "$<TARGET_FILE:disc_walkthrough>")
endif()

file(GENERATE OUTPUT ${PROJECT_BINARY_DIR}/disc-kit/programs.txt CONTENT
"launcher=$<TARGET_FILE:launcher_prebuilt>
waiter=$<TARGET_FILE:Tarrywin>
standin=${DISC_KIT_STANDIN}
walkthrough=${DISC_KIT_WALKTHROUGH}
")

# Signing every disc's programs (docs/release.md):
# these override a manifest's [signing] table. The certificate's password
# stays in the environment variable named here, never in the build files.
set(DISC_SIGN_CERTIFICATE "" CACHE FILEPATH "PKCS#12 code-signing certificate for every disc's programs")
set(DISC_SIGN_PASSWORD_ENV "" CACHE STRING "environment variable holding the certificate's password")
set(DISC_TIMESTAMP_URL "" CACHE STRING "RFC 3161 time-stamp server (optional)")
set(DISC_KIT_SIGNING)
if(DISC_SIGN_CERTIFICATE)
    list(APPEND DISC_KIT_SIGNING --sign-certificate ${DISC_SIGN_CERTIFICATE})
endif()
if(DISC_SIGN_PASSWORD_ENV)
    list(APPEND DISC_KIT_SIGNING --sign-password-env ${DISC_SIGN_PASSWORD_ENV})
endif()
if(DISC_TIMESTAMP_URL)
    list(APPEND DISC_KIT_SIGNING --timestamp-url ${DISC_TIMESTAMP_URL})
endif()
# Other settings sign the discs again (the file changes only when they do).
set(DISC_KIT_SIGNING_STAMP ${PROJECT_BINARY_DIR}/disc-kit/signing.txt)
file(CONFIGURE OUTPUT ${DISC_KIT_SIGNING_STAMP} CONTENT "${DISC_KIT_SIGNING}\n" @ONLY)

# A disc's image and signatures carry the commit's time: a new commit (or
# another SOURCE_DATE_EPOCH) remakes every disc even when none of its files
# changed. The stamp is rewritten only when the epoch changes.
set(DISC_KIT_EPOCH_STAMP ${PROJECT_BINARY_DIR}/disc-kit/epoch.txt)
add_custom_target(disc_epoch
    COMMAND /usr/bin/python3 -m authoring.iso_image --epoch-stamp ${DISC_KIT_EPOCH_STAMP}
    WORKING_DIRECTORY ${PROJECT_SOURCE_DIR}
    BYPRODUCTS ${DISC_KIT_EPOCH_STAMP}
    COMMENT "The build's epoch (SOURCE_DATE_EPOCH or the commit time)"
    VERBATIM)

# add_disc(NAME <name> MANIFEST <disc.toml> [OUTPUT <folder>]): a target that
# builds the disc with scripts/make-disc into <folder> (default
# <build>/discs/<name>): SETUP.EXE, disc/, disc.iso and walkthrough.json.
function(add_disc)
    cmake_parse_arguments(D "" "NAME;MANIFEST;OUTPUT" "" ${ARGN})
    if(NOT D_OUTPUT)
        set(D_OUTPUT ${PROJECT_BINARY_DIR}/discs/${D_NAME})
    endif()
    get_filename_component(folder ${D_MANIFEST} DIRECTORY)
    file(GLOB_RECURSE inputs CONFIGURE_DEPENDS ${folder}/*)
    file(GLOB kit CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/authoring/*.py ${PROJECT_SOURCE_DIR}/authoring/walkthrough/*.py)
    add_custom_command(OUTPUT ${D_OUTPUT}/disc.iso ${D_OUTPUT}/disc/SETUP.EXE
        COMMAND /usr/bin/python3 ${PROJECT_SOURCE_DIR}/scripts/make-disc ${D_MANIFEST}
            --build-dir ${D_OUTPUT} --programs ${PROJECT_BINARY_DIR}/disc-kit/programs.txt
            ${DISC_KIT_SIGNING}
        DEPENDS launcher_prebuilt Tarrywin ${DISC_KIT_STANDIN_TARGET}
            ${inputs} ${kit} ${PROJECT_SOURCE_DIR}/scripts/make-disc
            ${DISC_KIT_EPOCH_STAMP} disc_epoch ${DISC_KIT_SIGNING_STAMP} ${DISC_SIGN_CERTIFICATE}
        COMMENT "Building the disc ${D_NAME} from its manifest"
        VERBATIM)
    add_custom_target(disc_${D_NAME} ALL DEPENDS ${D_OUTPUT}/disc.iso)
endfunction()
