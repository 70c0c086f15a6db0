<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="en_US">
<context>
    <name>XmlEntryFile</name>
    <message>
        <source>The file %1 is not a settings file that can be read. The program starts with its default settings.</source>
        <translation>The file %1 is not a settings file that can be read. The program starts with its default settings.</translation>
    </message>
</context>
</TS>
