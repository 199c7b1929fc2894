#!/usr/bin/env bash
# Seeds of the INI and message-file fuzz target: the console's message file and small
# files with the shapes the parser must take.
#
#   make-seeds.sh MESSAGE-FILE CORPUS-FOLDER
set -euo pipefail
messages=$1
corpus=$2
mkdir -p "$corpus"
cp "$messages" "$corpus/messages.ini"
printf '[LANGUAGE]\r\nCURRENT=German\r\n[CODE]\r\n60=%%A%% trailing words\r\nff00=%%B%%\r\n[german]\r\n%%A%%=Text A\r\n%%B%%=Internal error B\r' >"$corpus/crlf.ini"
printf 'top=before any header\n[ Main Section ]\nkey  part = x\na == b\nKEY=1\nkey=2\n[]\nempty=section\n[unclosed\nk=\n' >"$corpus/shapes.ini"
printf '[S]\nhex=0aFf\nnum=-12.5e3x\nodd=123\ncr=ends in cr\r\r\n[CODE]\nf0001234=%%W%%\n%%only\n[DEFAULT]\n%%W%%=whole code\n%%KS_ERR_UNKNOWN%%=Internal error unknown' >"$corpus/values.ini"
