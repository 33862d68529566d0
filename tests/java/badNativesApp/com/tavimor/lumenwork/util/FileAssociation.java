package com.tavimor.lumenwork.util;

/** Declares only one of the two natives the launcher binds. */
public final class FileAssociation {
  public static native boolean checkAssociation0(String a, String b, String c, String d);

  private FileAssociation() {}
}
