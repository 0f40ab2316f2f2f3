#!/usr/bin/env python3
"""Writes a seller's sales sheet as a spreadsheet document (flat OpenDocument), then has
LibreOffice Calc save it as "CSV, séparateur point-virgule" in UTF-8 and in Windows-1252, as a
seller does with "Enregistrer sous". Run from this folder; needs libreoffice-calc-nogui.

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


PRICE = 7


def cell(value, column):
    if value is None or value == "":
        return "<table:table-cell/>"
    if isinstance(value, (int, float)):
        style = ' table:style-name="prix"' if column == PRICE else ""
        return (f'<table:table-cell{style} office:value-type="float" office:value="{value}">'
                f"<text:p>{value}</text:p></table:table-cell>")
    # A line break typed in a cell (Ctrl+Entrée) starts a new paragraph of the cell.
    paragraphs = "".join(f"<text:p>{escape(line)}</text:p>" for line in value.split("\n"))
    return f'<table:table-cell office:value-type="string">{paragraphs}</table:table-cell>'


def sheet():
    rows = [HEADER] + ROWS
    body = "".join("<table:table-row>" + "".join(cell(v, k) for k, v in enumerate(row)) +
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
  <style:style style:name="prix" style:family="table-cell" style:data-style-name="euros"/>
 </office:automatic-styles>
 <office:body><office:spreadsheet><table:table table:name="Ventes">{body}</table:table>
 </office:spreadsheet></office:body>
</office:document>
"""


def main():
    here = os.path.dirname(os.path.abspath(__file__))
    with tempfile.TemporaryDirectory() as work:
        source = os.path.join(work, "ventes-vendeur.fods")
        with open(source, "w", encoding="utf-8") as f:
            f.write(sheet())
        # The options of Calc's CSV dialog as a seller leaves them: field separator ";", text
        # delimiter '"', character set (76 UTF-8, 1 Windows-1252), text cells quoted only when
        # they need it, cell contents saved as shown.
        for charset, name in ((76, "ventes-calc-utf8.csv"), (1, "ventes-calc-windows1252.csv")):
            out = os.path.join(work, charset == 76 and "utf8" or "cp1252")
            os.mkdir(out)
            subprocess.run(["soffice", "--headless", f"-env:UserInstallation=file://{work}/profile",
                            "--convert-to", f"csv:Text - txt - csv (StarCalc):59,34,{charset},1,,0,false,true,true",
                            "--outdir", out, source], check=True)
            shutil.copyfile(os.path.join(out, "ventes-vendeur.csv"), os.path.join(here, name))


if __name__ == "__main__":
    main()
