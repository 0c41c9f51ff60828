#!/bin/sh
echo "make demo: the protection job against the plug-in stand-in is not available yet."
