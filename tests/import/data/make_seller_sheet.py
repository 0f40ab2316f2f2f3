#!/usr/bin/env python3
"""Writes a seller's sales sheets as spreadsheet documents (flat OpenDocument), then has
LibreOffice Calc save each as "CSV, séparateur point-virgule" in UTF-8 and in Windows-1252, as a
seller does with "Enregistrer sous". The second sheet ("remarques") is also written as Excel
saves it (see excel_csv). Run from this folder; needs libreoffice-calc-nogui.

    python3 make_seller_sheet.py
"""
import os
import shutil
import subprocess
import tempfile
from xml.sax.saxutils import escape

HEADER = ["catégorie", "titre", "référence", "description", "photo 1", "photo 2", "photo 3",
          "prix", "prix net", "durée", "renouvellement", "option 1", "option 2", "option 3",
          "option 5", "option 4", "option 6", "option 7"]

# Numbers are numeric cells; the prices show with two decimals and the French decimal comma.
ROWS = [
    [12, "Vélo de course", "VEL-001", "Cadre alu, très bon état",
     "Images/Été 2026/vélo.jpg", "Images/Été 2026/vélo détail.jpg", "", 150, "Y", 7, "Y",
     "Y", "", "", "", "", "", ""],
    [31, "Lampe de bureau", "LAM-002", "Lampe articulée\nAmpoule fournie",
     "Images/Maison/lampe.jpg", "", "", 12.5, "", 5, "", "", "Y"],
    [31, 'Affiche "Le Grand Bleu"', "AFF-003", "Lot de 3 affiches ; format 40 x 60",
     "Images/Maison/affiche.jpg", "", "", 8.9, "Y", 3],
    [12, "Casque de vélo", "CAS-004", "Taille M", "Images/absente.jpg", "", "", 25, "", 7],
    [44, "Cœur en verre soufflé", "CŒUR-5", "Pièce unique à 20 €, signée « Marie »",
     "Images/Été 2026/cœur.jpg", "", "", 1234.5, "", 7],
    [44, "Vase sans prix", "VAS-006", "Le prix manque", "Images/Maison/lampe.jpg", "", "", None,
     "", 7],
    [0, "Sans catégorie", "", "Catégorie à zéro", "Images/Maison/lampe.jpg", "", "", 5, "", 3],
    [12, "Dernière vente", "DER-008", 'Description "entre guillemets"\net sur deux lignes',
     "Images/Été 2026/vélo.jpg", "", "Images/Maison/affiche.jpg", 0.99, "", 3],
]


# A sheet of what the import must not change without a word: a reference typed in Windows-1252
# letters, characters that Windows-1252 lacks, prices formatted as euros with thousands, photos 2
# and 3 that do not exist, durations and marks that the import replaces, a title of 300
# characters, and a price that reads as no amount. Prices are numbers shown as currency.
REMARK_ROWS = [
    [12, "Vélo enfant 🚲 état neuf", "RÉF-é1", "Roues 16 pouces ✓ révisé",
     "Images/Été 2026/vélo.jpg", "Images/Été 2026/absente.jpg", "", 1200, "Oui", 4, "X",
     "y", "", "", "", "", "", ""],
    [31, "Lampe de bureau", "LAM-é2", "Ampoule fournie", "Images/Maison/lampe.jpg", "",
     "Images/Maison/manque.jpg", 12.5, "", 10, "Y"],
    [31, "Affiche", "AFF-3", "Prix écrit en lettres", "Images/Maison/affiche.jpg", "", "",
     "douze euros", "", 7],
    [44, "Cœur " + "en verre soufflé, " * 16 + "fin", "CŒUR-5", "Pièce unique",
     "Images/Été 2026/cœur.jpg", "", "", 1234567.5, "Y", 5],
]

PRICE = 7


def cell(value, column, price_style):
    if value is None or value == "":
        return "<table:table-cell/>"
    if isinstance(value, (int, float)):
        style = f' table:style-name="{price_style}"' if column == PRICE else ""
        return (f'<table:table-cell{style} office:value-type="float" office:value="{value}">'
                f"<text:p>{value}</text:p></table:table-cell>")
    # A line break typed in a cell (Ctrl+Entrée) starts a new paragraph of the cell.
    paragraphs = "".join(f"<text:p>{escape(line)}</text:p>" for line in value.split("\n"))
    return f'<table:table-cell office:value-type="string">{paragraphs}</table:table-cell>'


def sheet(rows, price_style):
    rows = [HEADER] + rows
    body = "".join("<table:table-row>" + "".join(cell(v, k, price_style) for k, v in enumerate(row)) +
                   "</table:table-row>" for row in rows)
    return f"""<?xml version="1.0" encoding="UTF-8"?>
<office:document xmlns:office="urn:oasis:names:tc:opendocument:xmlns:office:1.0"
 xmlns:style="urn:oasis:names:tc:opendocument:xmlns:style:1.0"
 xmlns:text="urn:oasis:names:tc:opendocument:xmlns:text:1.0"
 xmlns:table="urn:oasis:names:tc:opendocument:xmlns:table:1.0"
 xmlns:number="urn:oasis:names:tc:opendocument:xmlns:datastyle:1.0"
 xmlns:fo="urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0"
 office:version="1.2" office:mimetype="application/vnd.oasis.opendocument.spreadsheet">
 <office:automatic-styles>
  <number:number-style style:name="euros" number:language="fr" number:country="FR">
   <number:number number:decimal-places="2" number:min-decimal-places="2" number:min-integer-digits="1"/>
  </number:number-style>
  <number:currency-style style:name="monnaie" number:language="fr" number:country="FR">
   <number:number number:decimal-places="2" number:min-decimal-places="2" number:min-integer-digits="1" number:grouping="true"/>
   <number:text> </number:text>
   <number:currency-symbol number:language="fr" number:country="FR">€</number:currency-symbol>
  </number:currency-style>
  <style:style style:name="prix" style:family="table-cell" style:data-style-name="euros"/>
  <style:style style:name="euro" style:family="table-cell" style:data-style-name="monnaie"/>
 </office:automatic-styles>
 <office:body><office:spreadsheet><table:table table:name="Ventes">{body}</table:table>
 </office:spreadsheet></office:body>
</office:document>
"""


# How Excel (French Windows) saves a sheet: ";" between cells, every row as wide as the sheet,
# CR LF between rows and LF for a line break inside a cell, a cell quoted when it holds ";", a
# double quote or a line break, numbers as shown. "CSV (séparateur : point-virgule)" writes the
# ANSI code page, Windows-1252, with "?" for what it lacks; "CSV UTF-8" writes UTF-8 after a
# byte-order mark. The thousands of a currency cell are separated by the locale's space: a
# no-break space in the older French locale, a narrow no-break space in the current one, which
# Windows-1252 lacks; so each file gets the one it can hold.
def excel_csv(rows, encoding, thousands):
    def shown(value, column):
        if value is None or value == "":
            return ""
        if isinstance(value, (int, float)) and column == PRICE:
            whole, cents = f"{value:,.2f}".split(".")
            return whole.replace(",", thousands) + "," + cents + "\u00a0€"
        if isinstance(value, (int, float)):
            return str(value)
        if any(c in value for c in ';"\n'):
            return '"' + value.replace('"', '""') + '"'
        return value
    width = len(HEADER)
    lines = [";".join(shown(row[k] if k < len(row) else None, k) for k in range(width))
             for row in [HEADER] + rows]
    text = "\r\n".join(lines) + "\r\n"
    if encoding == "utf-8":
        return b"\xef\xbb\xbf" + text.encode("utf-8")
    return text.encode("cp1252", errors="replace")


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    with tempfile.TemporaryDirectory() as work:
        for stem, rows, price_style in (("ventes-calc", ROWS, "prix"),
                                        ("remarques-calc", REMARK_ROWS, "euro")):
            source = os.path.join(work, "ventes-vendeur.fods")
            with open(source, "w", encoding="utf-8") as f:
                f.write(sheet(rows, price_style))
            # The options of Calc's CSV dialog as a seller leaves them: field separator ";", text
            # delimiter '"', character set (76 UTF-8, 1 Windows-1252), text cells quoted only when
            # they need it, cell contents saved as shown.
            for charset, name in ((76, stem + "-utf8.csv"), (1, stem + "-windows1252.csv")):
                out = os.path.join(work, stem + str(charset))
                os.mkdir(out)
                subprocess.run(["soffice", "--headless",
                                f"-env:UserInstallation=file://{work}/profile",
                                "--convert-to",
                                f"csv:Text - txt - csv (StarCalc):59,34,{charset},1,,0,false,true,true",
                                "--outdir", out, source], check=True)
                shutil.copyfile(os.path.join(out, "ventes-vendeur.csv"), os.path.join(here, name))
    for encoding, name, thousands in (("utf-8", "remarques-excel-utf8.csv", "\u202f"),
                                      ("cp1252", "remarques-excel-windows1252.csv", "\u00a0")):
        with open(os.path.join(here, name), "wb") as f:
            f.write(excel_csv(REMARK_ROWS, encoding, thousands))


if __name__ == "__main__":
    main()
